#pragma once
// What the modal mouse loops of toolbars share: the outline drawn on the locked screen, the
// mouse capture, and the loop itself, each restoring what it took on every way out.
#include <windows.h>

#include <functional>
#include <memory>

#include "ui/gdi.h"

namespace morvane {

// A frame XOR-drawn on the screen with a 50 % pattern, showing where a window would go. While
// it lives, pending paints are done and the other windows cannot paint (they would draw over
// the frame and leave pieces of it behind).
class ScreenOutline {
public:
    ScreenOutline();
    ~ScreenOutline();
    ScreenOutline(const ScreenOutline&) = delete;
    ScreenOutline& operator=(const ScreenOutline&) = delete;

    // Moves the frame (screen coordinates, `thickness` pixels wide) to a new place, or takes it
    // away for none. Only what differs between the old and the new frame is inverted, so the
    // outline does not flicker.
    void Move(const RECT* rect, int thickness);

private:
    UniqueRegion FrameRegion(const RECT& rect, int thickness) const;

    HDC dc_ = nullptr;
    POINT origin_{};  // the screen point at the device context's origin
    UniqueBrush brush_;
    bool shown_ = false;
    RECT rect_{};
    int thickness_ = 0;
};

// Holds the mouse for a window for as long as it lives, and lets it go (if still held) after.
class MouseCapture {
public:
    explicit MouseCapture(HWND window);
    ~MouseCapture();
    MouseCapture(const MouseCapture&) = delete;
    MouseCapture& operator=(const MouseCapture&) = delete;

private:
    HWND window_;
};

// What a loop does with a message it was given.
enum class LoopStep { Dispatch, Swallow, Accept, Cancel };

// Pumps the thread's messages while `window` holds the capture, handing each to `handle` first.
// True when `handle` accepted. It ends without accepting when the capture goes elsewhere, when
// the message queue fails, on WM_QUIT (posted again, so the program still ends) and as soon as
// `alive` expires: its toolbar was destroyed by a message dispatched meanwhile.
bool RunMouseLoop(HWND window, const std::weak_ptr<int>& alive, const std::function<LoopStep(const MSG&)>& handle);

}  // namespace morvane
