#include "ui/panel.h"

namespace morvane {

Panel::Panel(WinControl* parent, int left, int top, int width, int height, PanelBevel bevel)
    : WinControl(parent), bevel_(bevel) {
    SetDesignBounds(left, top, width, height);
    CreateHandle(L"TPanel", false, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
}

void Panel::Paint(HDC dc) {
    if (bevel_ == PanelBevel::None) return;
    RECT area;
    GetClientRect(Handle(), &area);
    DrawEdge(dc, &area, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    DrawEdge(dc, &area, BDR_RAISEDINNER, BF_RECT);
}

}  // namespace morvane
