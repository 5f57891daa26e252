#include "toolbars/toolbar_keys.h"

#include <algorithm>

#include "toolbars/flat_button.h"
#include "toolbars/flat_toolbar.h"

namespace morvane {

std::vector<TFlatButton*> ToolbarKeys::Buttons() const {
    std::vector<TFlatButton*> buttons;
    for (Control* child : bar_.ChildOrder())
        if (auto* button = dynamic_cast<TFlatButton*>(child); button && button->Visible() && button->Enabled())
            buttons.push_back(button);
    return buttons;
}

TFlatButton* ToolbarKeys::Current() const {
    const std::vector<TFlatButton*> buttons = Buttons();
    return std::find(buttons.begin(), buttons.end(), current_) != buttons.end() ? current_ : nullptr;
}

void ToolbarKeys::MoveTo(TFlatButton* button) {
    TFlatButton* previous = Current();
    if (previous && previous != button) previous->SetKeyFocused(false);
    current_ = button;
    if (button && GetFocus() == bar_.Handle()) button->SetKeyFocused(true);
}

void ToolbarKeys::Step(int direction) {
    const std::vector<TFlatButton*> buttons = Buttons();
    if (buttons.empty()) return;
    const auto at = std::find(buttons.begin(), buttons.end(), Current());
    const int count = static_cast<int>(buttons.size());
    const int index = at == buttons.end() ? 0 : static_cast<int>(at - buttons.begin());
    // Round the ends, as a toolbar does.
    MoveTo(buttons[static_cast<size_t>((index + direction + count) % count)]);
}

bool ToolbarKeys::Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
    case WM_GETDLGCODE: {
        if (!HasButtons()) return false;
        // The arrows move, and Enter presses the button instead of going to the form.
        const auto* keys = reinterpret_cast<const MSG*>(lParam);
        result = DLGC_WANTARROWS;
        if (keys && keys->message == WM_KEYDOWN && keys->wParam == VK_RETURN) result |= DLGC_WANTMESSAGE;
        return true;
    }
    case WM_SETFOCUS: {
        const std::vector<TFlatButton*> buttons = Buttons();
        if (buttons.empty()) return false;
        MoveTo(Current() ? Current() : buttons.front());
        return false;
    }
    case WM_KILLFOCUS:
        openOnAltUp_ = false;
        if (TFlatButton* button = Current()) button->SetKeyFocused(false);
        return false;
    case WM_KEYDOWN: {
        TFlatButton* button = Current();
        const bool vertical = PlacementOf(bar_.DockedTo()) == bpVertical;
        switch (wParam) {
        case VK_LEFT:
        case VK_RIGHT:
            if (vertical) return false;
            Step(wParam == VK_LEFT ? -1 : 1);
            return true;
        case VK_UP:
            if (!vertical) return false;
            Step(-1);
            return true;
        case VK_DOWN:
            if (vertical) {
                Step(1);
                return true;
            }
            // Down (or F4) opens a menu button's menu, as on a menu bar.
            if (button && button->DropdownMenu()) button->Click();
            return true;
        case VK_HOME:
        case VK_END: {
            const std::vector<TFlatButton*> buttons = Buttons();
            if (!buttons.empty()) MoveTo(wParam == VK_HOME ? buttons.front() : buttons.back());
            return true;
        }
        case VK_F4:
            if (button && button->DropdownMenu()) button->Click();
            return true;
        case VK_RETURN:
        case VK_SPACE:
            if (button) button->Click();
            return true;
        }
        return false;
    }
    case WM_CHAR:
        return wParam == L' ' || wParam == L'\r';  // already pressed on the key
    case WM_SYSKEYDOWN:
        if (wParam != VK_DOWN) return false;
        // The menu opens as Alt goes up: an Alt released while it is open would close it at once.
        openOnAltUp_ = true;
        return true;
    case WM_SYSKEYUP:
    case WM_KEYUP:
        if (wParam != VK_MENU || !openOnAltUp_) return false;
        openOnAltUp_ = false;
        if (TFlatButton* button = Current(); button && button->DropdownMenu()) button->Click();
        return true;
    }
    return false;
}

}  // namespace morvane
