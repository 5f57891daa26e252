#pragma once
// The gap between groups of toolbar controls: an etched line across the toolbar, or an empty gap.
// The toolbar gives it its extent; it may only be placed on a toolbar.
#include "ui/control.h"

namespace morvane {

class TFlatSep : public GraphicControl {
public:
    TFlatSep(WinControl* parent, int left, int top, int width, int height);

    bool Blank() const { return blank_; }
    void SetBlank(bool blank);

    void SetParent(WinControl* parent) override;
    void Paint(HDC dc) override;
    // A press on the separator is a press on the toolbar (for dragging it).
    void MouseDown(const MouseEvent& event) override;

private:
    bool blank_ = false;
};

}  // namespace morvane
