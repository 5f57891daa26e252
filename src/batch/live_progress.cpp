#include "batch/live_progress.h"

#include <utility>

#include "ui/application.h"

namespace morvane {

namespace {

constexpr ULONGLONG kBreathInterval = 25;  // milliseconds
constexpr ULONGLONG kBreathLength = 10;

bool IsKeyboardInput(UINT message) { return message >= WM_KEYFIRST && message <= WM_KEYLAST; }

bool IsMouseInput(UINT message) {
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

// A key held down since it started the run (Enter on 変換, Ctrl+Z) repeats: only a fresh press
// counts.
bool IsRepeatedKey(const MSG& message) {
    return (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) && (message.lParam & (1 << 30));
}

void ShowHourglass() { SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }

}  // namespace

BusyWindow::BusyWindow(HWND window, HWND focus) : window_(window), focus_(focus) {
    // Disabling answers whether the window was disabled already: then it stays so afterwards.
    disabledHere_ = !EnableWindow(window_, FALSE);
}

BusyWindow::~BusyWindow() {
    if (!disabledHere_) return;
    EnableWindow(window_, TRUE);
    // Disabling takes the focus away from the window itself. It comes back while the window is
    // still the active one: the user may have gone to another program meanwhile.
    if (GetActiveWindow() == window_ && IsWindow(focus_) && (focus_ == window_ || IsChild(window_, focus_)))
        SetFocus(focus_);
}

bool BusyWindow::Intercept(const MSG& message) {
    if (IsKeyboardInput(message.message)) {
        if ((message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) && message.wParam == VK_ESCAPE &&
            !IsRepeatedKey(message))
            stopRequested_ = true;
        return true;
    }
    if (IsMouseInput(message.message)) {
        // Taking the message may have set the cursor of the window under the pointer.
        ShowHourglass();
        return true;
    }
    return false;
}

LiveProgress::LiveProgress(ShowProgress show, std::function<bool()> stopRequested)
    : show_(std::move(show)), stopRequested_(std::move(stopRequested)) {}

LiveProgress::LiveProgress(BusyWindow& busy, ShowProgress show)
    : show_(std::move(show)), stopRequested_([&busy] { return busy.StopRequested(); }), busy_(&busy) {}

void LiveProgress::Start(int max) {
    done_ = 0;
    max_ = max;
    show_(0, max);
}

bool LiveProgress::Continue() {
    const ULONGLONG now = GetTickCount64();
    if (now - lastBreath_ >= kBreathInterval) {
        show_(done_, max_);
        HandleWaitingMessages();
        lastBreath_ = GetTickCount64();
    }
    return !quit_ && !stopRequested_();
}

// Handles what is waiting, for a moment at most, so that a message that keeps coming back does not
// hold the run. A quit is left for the loop that owns it, and stops the run.
void LiveProgress::HandleWaitingMessages() {
    const ULONGLONG until = GetTickCount64() + kBreathLength;
    MSG message;
    while (GetTickCount64() <= until && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            quit_ = true;
            return;
        }
        if (busy_ && busy_->Intercept(message)) continue;
        // A repeated key would reach the cancel button, which has the focus during a run.
        if (IsRepeatedKey(message)) continue;
        App().ProcessMessage(message);
    }
}

}  // namespace morvane
