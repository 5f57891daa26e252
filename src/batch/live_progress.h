#pragma once
// Keeping the program alive through a run that lasts minutes on the user-interface thread (under
// Wine a rename in a folder of 100,000 files costs milliseconds): the run's progress sink lets the
// waiting messages through every few hundredths of a second, and a window that no dialog covers
// can be held busy meanwhile.
#include <windows.h>

#include <cstddef>
#include <functional>

#include "batch/engine.h"
#include "ui/screen_cursor.h"

namespace morvane {

// A top-level window busy with a run of its own thread for as long as this lives: disabled, as
// under a modal dialog, with the hourglass over it. Keys still reach a disabled window (its child
// that keeps the focus, or the window itself while it is the active one), so the input that
// reaches the thread meanwhile is taken away before it is handled; a fresh press of Esc asks the
// run to stop. The window is enabled again on every way out,
// and the keyboard focus goes back to the given window of it (where the user was working).
class BusyWindow {
public:
    BusyWindow(HWND window, HWND focus);
    ~BusyWindow();
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

    // Takes a waiting message of keyboard or mouse input away; true when it did.
    bool Intercept(const MSG& message);
    bool StopRequested() const { return stopRequested_; }

private:
    HWND window_;
    HWND focus_;
    bool disabledHere_;
    bool stopRequested_ = false;
    HourglassCursor hourglass_;
};

// The progress sink of a long run: every few hundredths of a second it shows how far the run is
// and handles the messages waiting, so that the program paints and never looks hung, and it stops
// the run, after the entry in hand, when a stop is asked for or the program is told to quit.
class LiveProgress : public ProgressSink {
public:
    // Told the entries done so far and their number.
    using ShowProgress = std::function<void(int done, int max)>;

    LiveProgress(ShowProgress show, std::function<bool()> stopRequested);
    // A run of the busy window: the input it takes away is never handled, and Esc stops the run.
    LiveProgress(BusyWindow& busy, ShowProgress show);

    void Start(int max) override;
    void Step() override { ++done_; }
    bool MovingThrough(std::size_t, std::wstring_view) override {
        changedAny_ = true;
        return true;
    }
    void Renamed(std::size_t, bool succeeded) override { changedAny_ = changedAny_ || succeeded; }
    bool Continue() override;
    void Finish() override { show_(done_, max_); }

    // Whether the run changed any name: renamed a file, or moved one to a temporary name (which
    // its journal must keep, even when the file could go neither on nor back).
    bool ChangedAny() const { return changedAny_; }

private:
    void HandleWaitingMessages();

    ShowProgress show_;
    std::function<bool()> stopRequested_;
    BusyWindow* busy_ = nullptr;
    int done_ = 0;
    int max_ = 0;
    bool changedAny_ = false;
    ULONGLONG lastBreath_ = 0;  // the first entry already lets the program breathe
    bool quit_ = false;
};

}  // namespace morvane
