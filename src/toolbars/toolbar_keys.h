#pragma once
// The keyboard on a toolbar of windowless buttons, the way Windows' own toolbars take it: the
// toolbar is one tab stop, the arrow keys move between its buttons, Enter or Space presses the
// button the keyboard is on and Alt+Down opens its drop-down menu.
#include <windows.h>

#include <vector>

namespace morvane {

class TFlatButton;
class TFlatToolbar;

class ToolbarKeys {
public:
    explicit ToolbarKeys(TFlatToolbar& bar) : bar_(bar) {}

    // Whether the toolbar has buttons for the keyboard (and so is a tab stop).
    bool HasButtons() const { return !Buttons().empty(); }
    // The button the keyboard is on, or none.
    TFlatButton* Current() const;
    // A message of the toolbar's window; true when it was the keyboard's, with its result.
    bool Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    // The buttons that can take the keyboard, in the toolbar's order.
    std::vector<TFlatButton*> Buttons() const;
    void MoveTo(TFlatButton* button);
    void Step(int direction);

    TFlatToolbar& bar_;
    TFlatButton* current_ = nullptr;  // kept while the focus is elsewhere
    bool openOnAltUp_ = false;        // Alt+Down pressed: the menu opens as Alt goes up
};

}  // namespace morvane
