#pragma once
// Drives real windows from a test: steps that run inside a modal loop, posted user input, and the
// application's error box answered and read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace morvane::test {

// Queues steps that run, in order with posted input, inside whatever message loop runs next.
class ModalScript {
public:
    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    void Then(std::function<void()> step);
    bool Done() const { return steps_.empty(); }

private:
    static LRESULT CALLBACK ProbeProc(HWND, UINT, WPARAM, LPARAM);
    HWND probe_ = nullptr;
    std::deque<std::function<void()>> steps_;
};

// Posted input, as the user's hand would produce it.
void PostKey(HWND window, WPARAM key);
void PostClickAt(HWND window, int x, int y);
void PostButtonClick(HWND button);
// A classic drop of the paths (the shell's DROPFILES), posted as WM_DROPFILES; the window frees it.
// Unterminated, the block ends right after the last path's characters.
void PostFileDrop(HWND window, const std::vector<std::wstring>& paths, bool terminated = true);

// The message of the program's error the action throws, or "(no error)".
std::wstring MessageOf(const std::function<void()>& action);

// Answers every error box shown while it lives and keeps its caption and text.
class ErrorBoxCatcher {
public:
    ErrorBoxCatcher();
    ~ErrorBoxCatcher();
    ErrorBoxCatcher(const ErrorBoxCatcher&) = delete;
    ErrorBoxCatcher& operator=(const ErrorBoxCatcher&) = delete;

    struct Box {
        std::wstring Caption;
        std::wstring Text;
    };
    const std::vector<Box>& Boxes() const { return boxes_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    UINT_PTR timer_ = 0;
    std::vector<Box> boxes_;
};

// A window's rectangle in its parent's client coordinates (screen coordinates for a top level).
RECT RectInParent(HWND window);

// What the system does when a top-level window reaches a monitor of another DPI: WM_DPICHANGED
// with the rectangle it suggests (the top-left kept, the client area scaled).
void SendDpiChange(HWND window, int fromDpi, int toDpi);
// A length of the design at a DPI, give or take the pixel that rounding each edge may cost.
::testing::AssertionResult IsScaled(int actual, int design, int dpi);
// The height of a font's character cell.
int FontHeight(HFONT font);

}  // namespace morvane::test
