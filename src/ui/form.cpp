#include "ui/form.h"

#include <exception>
#include <vector>

#include "ui/application.h"
#include "ui/dpi.h"
#include "ui/font.h"
#include "ui/std_controls.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace morvane {

namespace {

DWORD WindowStyleFor(const FormStyle& style) {
    DWORD ws = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (style.Border == FormBorder::Sizeable) ws |= WS_THICKFRAME;
    if (style.MinimizeBox) ws |= WS_MINIMIZEBOX;
    if (style.MaximizeBox) ws |= WS_MAXIMIZEBOX;
    return ws;
}

DWORD ExtendedStyleFor(const FormStyle& style) {
    DWORD ex = WS_EX_CONTROLPARENT;
    if (style.Border == FormBorder::Dialog) ex |= WS_EX_DLGMODALFRAME;
    return ex;
}

struct DisabledWindows {
    HWND modal;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableUnlessModal(HWND window, LPARAM data) {
    auto* disabled = reinterpret_cast<DisabledWindows*>(data);
    if (window != disabled->modal && IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        disabled->windows.push_back(window);
    }
    return TRUE;
}

// Every other enabled top-level window of this thread, disabled while a modal form is up.
std::vector<HWND> DisableOtherWindows(HWND modal) {
    DisabledWindows disabled{modal, {}};
    EnumThreadWindows(GetCurrentThreadId(), DisableUnlessModal, reinterpret_cast<LPARAM>(&disabled));
    return disabled.windows;
}

}  // namespace

FormStyle DialogFormStyle(FormPosition position) {
    FormStyle style;
    style.Border = FormBorder::Dialog;
    style.MinimizeBox = false;
    style.MaximizeBox = false;
    style.Position = position;
    return style;
}

HICON ProgramIcon(int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size, LR_SHARED));
}

Form::Form(const wchar_t* className, const FormStyle& style)
    : WinControl(nullptr), style_(style), font_(CreateProgramFont()) {
    SetVisible(false);
    SetFont(font_.Get());
    const Form* main = App().MainForm();
    CreateHandle(className, false, WindowStyleFor(style), ExtendedStyleFor(style),
                 main ? main->Handle() : nullptr);
    // A window starts at the DPI of the monitor it is made on.
    const int dpi = WindowDpi(Handle());
    SetOwnDpi(dpi);
    if (dpi != SystemDpi()) {
        font_ = CreateProgramFont(false, dpi);
        SetFont(font_.Get());
    }
}

Form::~Form() = default;

void Form::SetClientSize(int width, int height) {
    const SIZE frame = FrameSize();
    SetBounds(Left(), Top(), Scaled(width) + frame.cx, Scaled(height) + frame.cy);
}

SIZE Form::FrameSize() const {
    // The frame the window has: after a move to another monitor the system has given it the
    // frame of that monitor's DPI.
    RECT outer;
    RECT client;
    if (GetWindowRect(Handle(), &outer) && GetClientRect(Handle(), &client) && client.right > 0 && client.bottom > 0)
        return {(outer.right - outer.left) - client.right, (outer.bottom - outer.top) - client.bottom};
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectForDpi(frame, WindowStyleFor(style_), ExtendedStyleFor(style_), Dpi());
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void Form::SetHeight(int height) {
    if (Dpi() != kDesignDpi) {
        RECT frame{0, 0, 0, 0};
        AdjustWindowRectForDpi(frame, WindowStyleFor(style_), ExtendedStyleFor(style_), kDesignDpi);
        height = Scaled(height - (frame.bottom - frame.top)) + FrameSize().cy;
    }
    SetBounds(Left(), Top(), Width(), height);
}

void Form::ChangeDpi(int dpi, const RECT* bounds) {
    const int old = Dpi();
    if (dpi <= 0 || dpi == old) {
        if (bounds) SetBounds(bounds->left, bounds->top, bounds->right - bounds->left, bounds->bottom - bounds->top);
        return;
    }
    RECT client;
    GetClientRect(Handle(), &client);
    // No repaint lock: WM_SETREDRAW would hide the window for a moment, and whatever follows the
    // form's visibility (its floating toolbars) would go with it.
    SetOwnDpi(dpi);
    UniqueFont font = CreateProgramFont(false, dpi);
    const HFONT oldFont = font_.Get();
    SetFont(font.Get());
    FollowDpiBelow(old, oldFont, font.Get());
    font_ = std::move(font);
    if (bounds) {
        SetBounds(bounds->left, bounds->top, bounds->right - bounds->left, bounds->bottom - bounds->top);
    } else {
        const SIZE frame = FrameSize();
        SetBounds(Left(), Top(), MulDiv(client.right, dpi, old) + frame.cx, MulDiv(client.bottom, dpi, old) + frame.cy);
    }
    Realign();
    if (iconsGiven_) GiveIcons();
    DpiChanged(old);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void Form::PlaceOnScreen() {
    if (style_.Position != FormPosition::ScreenCenter) return;
    SetBounds((GetSystemMetrics(SM_CXSCREEN) - Width()) / 2, (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2,
              Width(), Height());
}

void Form::GiveIcons() {
    const int dpi = Dpi();
    SendMessageW(Handle(), WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(ProgramIcon(SystemMetricForDpi(SM_CXICON, dpi))));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(ProgramIcon(SystemMetricForDpi(SM_CXSMICON, dpi))));
}

void Form::Loaded() {
    try {
        if (OnCreate) OnCreate();
    } catch (...) {
        App().HandleException();
    }
}

void Form::Show() {
    PlaceOnScreen();
    SetVisible(true);
    SetForegroundWindow(Handle());
}

int Form::ShowModal() {
    if (modal_ || !Handle()) return mrNone;
    modal_ = true;
    modalResult_ = mrNone;
    const HWND previous = GetActiveWindow();
    // The control that had the keys gets them back afterwards, as under a dialog box.
    const HWND previousFocus = GetFocus();
    const std::vector<HWND> disabled = DisableOtherWindows(Handle());
    Show();
    if (const HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE)) ::SetFocus(first);

    while (modalResult_ == mrNone) {
        MSG message;
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            modalResult_ = mrCancel;
            break;
        }
        App().ProcessMessage(message);
    }

    // A modal form always closes; a failing close handler is reported once it is out of sight.
    std::exception_ptr failure;
    try {
        if (OnClose) OnClose();
    } catch (...) {
        failure = std::current_exception();
    }
    for (HWND window : disabled) EnableWindow(window, TRUE);
    SetVisible(false);
    modal_ = false;
    if (previous && IsWindow(previous)) SetActiveWindow(previous);
    if (previousFocus && IsWindow(previousFocus) && IsWindowVisible(previousFocus) && IsWindowEnabled(previousFocus) &&
        GetAncestor(previousFocus, GA_ROOT) == GetActiveWindow())
        ::SetFocus(previousFocus);
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (...) {
            App().HandleException();
        }
    }
    return modalResult_;
}

bool Form::RunCloseHandler() {
    try {
        if (OnClose) OnClose();
        return true;
    } catch (...) {
        App().HandleException();
        return false;
    }
}

void Form::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!RunCloseHandler()) return;  // the form stays open
    SetVisible(false);
    if (App().MainForm() == this) PostQuitMessage(0);
}

bool Form::DialogKey(const MSG& message) {
    if (KeyPreview(message)) return true;
    // Mnemonics of windowless controls: Alt+key always, the key alone where the focused window
    // takes no characters.
    const bool wantsChars =
        message.message == WM_CHAR && (SendMessageW(message.hwnd, WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS);
    if ((message.message == WM_SYSCHAR || (message.message == WM_CHAR && !wantsChars)) &&
        DialogChar(static_cast<wchar_t>(message.wParam)))
        return true;
    if (message.message == WM_KEYDOWN) {
        if (message.wParam == VK_ESCAPE && cancelButton_ && cancelButton_->Enabled()) {
            cancelButton_->Click();
            return true;
        }
        if (message.wParam == VK_RETURN) {
            // Enter presses the focused button, or else the default button.
            auto* focused = dynamic_cast<Button*>(FromHandle(GetFocus()));
            Button* target = focused ? focused : defaultButton_;
            if (target && target->Enabled()) {
                target->Click();
                return true;
            }
        }
    }
    return IsDialogMessageW(Handle(), const_cast<MSG*>(&message));
}

LRESULT Form::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        Close();
        return 0;
    }
    if (message == WM_SYSCOLORCHANGE || message == WM_THEMECHANGED) {
        // Everything on the form is drawn again in the new colours.
        const LRESULT result = WinControl::WndProc(message, wParam, lParam);
        RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
        return result;
    }
    if (message == WM_DPICHANGED) {
        // The system's rectangle keeps the window where the user put it, sized for the new DPI.
        ChangeDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    if (message == WM_SHOWWINDOW && wParam && !iconsGiven_) {
        // Given as the window first comes into sight: under Wine each icon costs a few
        // milliseconds, and a dialog that is never opened needs none.
        iconsGiven_ = true;
        GiveIcons();
    }
    return WinControl::WndProc(message, wParam, lParam);
}

}  // namespace morvane
