#include "ui/status_bar.h"

#include <commctrl.h>

namespace morvane {

StatusBar::StatusBar(WinControl* parent, int height, std::vector<int> panelWidths)
    : WinControl(parent), widths_(std::move(panelWidths)) {
    SetDesignBounds(0, 0, 0, height);
    // The bar's place and height are ours (alignment sets them), not the control's own.
    CreateHandle(STATUSCLASSNAMEW, true, CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, 0);
    SetParts();
}

void StatusBar::SetParts() {
    std::vector<int> edges;
    int edge = 0;
    for (const int width : widths_) edges.push_back(Scaled(edge += width));
    SendMessageW(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

std::wstring StatusBar::PanelText(int panel) const {
    const auto length = LOWORD(SendMessageW(Handle(), SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel), 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(Handle(), SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

void StatusBar::SetPanelText(int panel, const std::wstring& text) {
    if (panel < 0 || panel >= PanelCount() || text == PanelText(panel)) return;
    SendMessageW(Handle(), SB_SETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text.c_str()));
}

RECT StatusBar::PanelRect(int panel) const {
    RECT rect{};
    SendMessageW(Handle(), SB_GETRECT, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

}  // namespace morvane
