#pragma once
// Shows the hourglass for as long as it lives, then the cursor that was there before.
#include <windows.h>

namespace morvane {

class HourglassCursor {
public:
    HourglassCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~HourglassCursor() { SetCursor(previous_ ? previous_ : LoadCursorW(nullptr, IDC_ARROW)); }
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;

private:
    HCURSOR previous_;
};

}  // namespace morvane
