#pragma once
// A plain container window, flat or framed by a raised inner and a lowered outer bevel.
#include "ui/control.h"

namespace morvane {

enum class PanelBevel { None, RaisedInLoweredOut };

class Panel : public WinControl {
public:
    Panel(WinControl* parent, int left, int top, int width, int height, PanelBevel bevel = PanelBevel::None);
    void Paint(HDC dc) override;

private:
    PanelBevel bevel_;
};

}  // namespace morvane
