#pragma once
// A message-only window whose posted message arrives inside a window's modal loop once the window
// has been shown; the step given to it runs then. The benchmarks time modal windows with it.
#include <windows.h>

#include <functional>
#include <utility>

namespace morvane::bench {

class Probe {
public:
    Probe() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"MorvaneBenchProbe";
        RegisterClassW(&wc);
        handle_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                  nullptr);
        SetWindowLongPtrW(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Probe() { DestroyWindow(handle_); }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    void PostOnce(std::function<void()> step) {
        step_ = std::move(step);
        PostMessageW(handle_, kShown, 0, 0);
    }

private:
    static constexpr UINT kShown = WM_APP + 1;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* probe = reinterpret_cast<Probe*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == kShown && probe && probe->step_) {
            auto step = std::move(probe->step_);
            probe->step_ = nullptr;
            step();
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    HWND handle_ = nullptr;
    std::function<void()> step_;
};

}  // namespace morvane::bench
