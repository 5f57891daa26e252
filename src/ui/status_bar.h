#pragma once
// The system status bar with panels of fixed widths, left to right; what lies right of the last
// panel stays empty.
#include <string>
#include <vector>

#include "ui/control.h"

namespace morvane {

class StatusBar : public WinControl {
public:
    StatusBar(WinControl* parent, int height, std::vector<int> panelWidths);

    int PanelCount() const { return static_cast<int>(widths_.size()); }
    std::wstring PanelText(int panel) const;
    void SetPanelText(int panel, const std::wstring& text);
    // The panel's rectangle in the bar's client area.
    RECT PanelRect(int panel) const;
    void DpiChanged(int) override { SetParts(); }

private:
    // The panels' widths are design pixels.
    void SetParts();
    std::vector<int> widths_;
};

}  // namespace morvane
