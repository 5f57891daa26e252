#pragma once
// A timer that calls its handler on the user-interface thread while it is enabled.
#include <windows.h>

#include <functional>

namespace morvane {

class Timer {
public:
    explicit Timer(UINT interval = 1000);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    bool Enabled() const { return id_ != 0; }
    void SetEnabled(bool enabled);

    std::function<void()> OnTimer;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);

    UINT interval_;
    UINT_PTR id_ = 0;
};

}  // namespace morvane
