#include "ui/timer.h"

#include <map>

#include "ui/application.h"

namespace morvane {

namespace {

// Thread timers carry no data of their own: the running ones are found by their identifier.
// Never destroyed, so timers that stop during the program's end still find it.
std::map<UINT_PTR, Timer*>& RunningTimers() {
    static auto* timers = new std::map<UINT_PTR, Timer*>;
    return *timers;
}

}  // namespace

Timer::Timer(UINT interval) : interval_(interval) {}

Timer::~Timer() { SetEnabled(false); }

void Timer::SetEnabled(bool enabled) {
    if (enabled == Enabled()) return;
    if (enabled) {
        id_ = SetTimer(nullptr, 0, interval_, Tick);
        if (id_) RunningTimers()[id_] = this;
    } else {
        KillTimer(nullptr, id_);
        RunningTimers().erase(id_);
        id_ = 0;
    }
}

void CALLBACK Timer::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    const auto found = RunningTimers().find(id);
    if (found == RunningTimers().end() || !found->second->OnTimer) return;
    try {
        found->second->OnTimer();
    } catch (...) {
        App().HandleException();
    }
}

}  // namespace morvane
