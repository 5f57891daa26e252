#include "ui/control.h"

#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <unordered_map>

#include "ui/application.h"
#include "ui/dpi.h"
#include "ui/gdi.h"
#include "ui/host_accessible.h"
#include "ui/menu.h"
#include "ui/on_demand.h"

namespace morvane {


namespace {

// Which object owns which window. This lookup runs for every message, so it stays inside the
// process: a window property would do the same, but under Wine each property read is a round trip
// to the server (about 50 µs), which made a list of ten thousand entries take a second to fill.
// Windows belong to the user-interface thread, so no lock. The table is never destroyed: windows
// may still go after static objects are gone at the program's end.
std::unordered_map<HWND, WinControl*>& OwnedWindows() {
    static auto* controls = new std::unordered_map<HWND, WinControl*>;
    return *controls;
}

void Attach(HWND handle, WinControl* control) { OwnedWindows()[handle] = control; }

void Detach(HWND handle) { OwnedWindows().erase(handle); }

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

void RegisterOwnClass(const wchar_t* className, WNDPROC proc) {
    WNDCLASSEXW known{};
    known.cbSize = sizeof known;
    if (GetClassInfoExW(Instance(), className, &known)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
}

// Shows the error of a failed paint once the paint is over. The error box's own loop repaints the
// windows beneath it, and a paint that fails every time would open box after box: while one is
// up, failures of painting are not shown again.
void ReportPaintFailure(const std::exception_ptr& failure) {
    static bool reporting = false;
    if (!failure || reporting) return;
    reporting = true;
    struct Done {
        ~Done() { reporting = false; }
    } done;
    try {
        std::rethrow_exception(failure);
    } catch (...) {
        App().HandleException();
    }
}

MouseButton ButtonOf(UINT message) {
    switch (message) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
        return MouseButton::Right;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
        return MouseButton::Middle;
    }
    return MouseButton::Left;
}

}  // namespace

WinControl::WinControl(WinControl* parent) : Control(parent) {}

WinControl::~WinControl() {
    // Children that outlive us are left without a parent rather than pointing at a dead one.
    for (Control* child : controls_) child->parent_ = nullptr;
    controls_.clear();
    graphics_.Clear();
    DestroyHandle();
    if (accessible_) {
        accessible_->Detach();
        accessible_->Release();
    }
}

void WinControl::DestroyHandle() {
    if (!handle_) return;
    const HWND handle = handle_;
    Detach(handle);
    if (systemProc_) SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProc_));
    handle_ = nullptr;
    DestroyWindow(handle);
}

WinControl* WinControl::FromHandle(HWND handle) {
    if (!handle) return nullptr;
    const auto found = OwnedWindows().find(handle);
    return found != OwnedWindows().end() ? found->second : nullptr;
}

void WinControl::CreateHandle(const wchar_t* className, bool systemClass, DWORD style, DWORD exStyle,
                              HWND owner) {
    static UINT nextId = 100;
    HWND parentHandle = Parent() ? Parent()->Handle() : owner;
    if (Parent()) style |= WS_CHILD | WS_CLIPSIBLINGS;
    if (Parent() && Visible()) style |= WS_VISIBLE;
    if (!Enabled()) style |= WS_DISABLED;
    if (!systemClass) RegisterOwnClass(className, WindowProc);
    const HMENU id = Parent() ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nextId++)) : nullptr;
    const HWND handle = CreateWindowExW(exStyle, className, L"", style, Left(), Top(), Width(), Height(),
                                        parentHandle, id, Instance(), this);
    if (!handle) return;
    if (systemClass) {
        handle_ = handle;
        Attach(handle_, this);
        systemProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
    }
    if (Font()) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
}

LRESULT CALLBACK WinControl::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WinControl* self = FromHandle(hwnd);
    if (!self && message == WM_NCCREATE) {
        self = static_cast<WinControl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->handle_ = hwnd;
        Attach(hwnd, self);
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        const LRESULT result = self->DefaultProc(message, wParam, lParam);
        Detach(hwnd);
        self->handle_ = nullptr;
        return result;
    }
    // No exception ever leaves a window procedure: the error box reports it.
    try {
        return self->WndProc(message, wParam, lParam);
    } catch (...) {
        App().HandleException();
        return 0;
    }
}

LRESULT WinControl::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (systemProc_) return CallWindowProcW(systemProc_, handle_, message, wParam, lParam);
    return DefWindowProcW(handle_, message, wParam, lParam);
}

LRESULT WinControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (WinControl* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
            child->Command(HIWORD(wParam));
            return 0;
        }
        break;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (WinControl* child = FromHandle(header->hwndFrom); child && child != this) {
            LRESULT result = 0;
            if (child->Notify(*header, result)) return result;
        }
        break;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (WinControl* child = FromHandle(item->hwndItem)) {
            child->DrawItem(*item);
            return TRUE;
        }
        break;
    }
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (WinControl* child = FromHandle(reinterpret_cast<HWND>(lParam)))
            if (HBRUSH brush = child->ControlColor(reinterpret_cast<HDC>(wParam)))
                return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_ERASEBKGND:
        if (!systemProc_) {
            // Opaque windowless children paint all of their own area.
            const auto dc = reinterpret_cast<HDC>(wParam);
            const int saved = SaveDC(dc);
            graphics_.ExcludeOpaque(dc);
            RECT client;
            GetClientRect(handle_, &client);
            const COLORREF color = Color() == CLR_INVALID ? GetSysColor(COLOR_BTNFACE) : Color();
            const HBRUSH brush = CreateSolidBrush(color);
            FillRect(dc, &client, brush);
            DeleteObject(brush);
            RestoreDC(dc, saved);
            return TRUE;
        }
        break;
    case WM_PAINT:
        if (!systemProc_) {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(handle_, &paint);
            std::exception_ptr failure;
            try {
                PaintClient(dc, paint.rcPaint);
            } catch (...) {
                failure = std::current_exception();
            }
            EndPaint(handle_, &paint);
            ReportPaintFailure(failure);
            return 0;
        }
        break;
    case WM_PRINTCLIENT:
        if (!systemProc_) {
            RECT client;
            GetClientRect(handle_, &client);
            const auto dc = reinterpret_cast<HDC>(wParam);
            if (lParam & PRF_ERASEBKGND) WndProc(WM_ERASEBKGND, wParam, 0);
            try {
                PaintClient(dc, client);
            } catch (...) {
                ReportPaintFailure(std::current_exception());
            }
            return 0;
        }
        break;
    case WM_SIZE: {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        Realign();
        return result;
    }
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        // A theme change (high contrast on or off) brings new system colours as well.
        SysColorsChanged();
        break;
    case WM_GETOBJECT:
        if (static_cast<LONG>(lParam) == OBJID_CLIENT && HostAccessible::Wanted(*this)) {
            if (!accessible_) accessible_ = HostAccessible::Create(*this);
            return ondemand::LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(accessible_));
        }
        break;
    case WM_CONTEXTMENU:
        if (contextMenu_ && reinterpret_cast<HWND>(wParam) == handle_) {
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (at.x == -1 && at.y == -1) {  // from the keyboard: the window's corner
                at = {0, 0};
                ClientToScreen(handle_, &at);
            }
            contextMenu_->SetPopupComponent(this);
            contextMenu_->Popup(at.x, at.y, handle_);
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == handle_ && LOWORD(lParam) == HTCLIENT) {
            POINT point;
            GetCursorPos(&point);
            ScreenToClient(handle_, &point);
            if (const Control* control = ControlAt(point, false))
                if (const HCURSOR cursor = control->Cursor()) {
                    ::SetCursor(cursor);
                    return TRUE;
                }
        }
        break;
    case WM_MOUSELEAVE: {
        graphics_.MouseLeft();
        if (mouseInside_) {
            mouseInside_ = false;
            MouseLeave();
        }
        break;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
        if (message == WM_MOUSEMOVE && trackMouse_) TrackOwnMouse();
        if (graphics_.Route(message, wParam, lParam)) return 0;
        break;
    case WM_WINDOWPOSCHANGED: {
        RECT bounds;
        GetWindowRect(handle_, &bounds);
        if (Parent() && (GetWindowLongW(handle_, GWL_STYLE) & WS_CHILD))
            MapWindowPoints(nullptr, Parent()->Handle(), reinterpret_cast<POINT*>(&bounds), 2);
        SyncBounds(bounds);
        break;
    }
    case WM_CAPTURECHANGED:
        graphics_.CaptureLost(reinterpret_cast<HWND>(lParam));
        break;
    }
    if (message == HostAccessible::ActionMessage() && message != 0) {
        HostAccessible::RunDefaultAction(*this, static_cast<long>(lParam));
        return 0;
    }
    return DefaultProc(message, wParam, lParam);
}

void WinControl::NotifyAccessible(DWORD event, const Control& child) const {
    if (!handle_) return;
    if (const long id = HostAccessible::ChildId(*this, child)) NotifyWinEvent(event, handle_, OBJID_CLIENT, id);
}

void WinControl::TrackOwnMouse() {
    if (mouseInside_) return;
    mouseInside_ = true;
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, handle_, 0};
    TrackMouseEvent(&track);
    MouseEnter();
}

void WinControl::InsertControl(Control* control) {
    controls_.push_back(control);
    ControlListChanged(control, true);
}

void WinControl::RemoveControl(Control* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    RemoveGraphic(control);
    ControlListChanged(control, false);
    Realign();
}

void WinControl::AddGraphic(Control* control) { graphics_.Add(control); }

void WinControl::RemoveGraphic(Control* control) { graphics_.Remove(control); }

void WinControl::SetCapture(Control* control) { graphics_.SetCapture(control); }

Control* WinControl::ControlAt(POINT point, bool allowDisabled) const { return graphics_.ControlAt(point, allowDisabled); }

Control* WinControl::ControlAtScreen(POINT point, bool allowDisabled) {
    const HWND window = WindowFromPoint(point);
    WinControl* windowed = FromHandle(window);
    if (!windowed) return nullptr;
    ScreenToClient(window, &point);
    if (Control* graphic = windowed->ControlAt(point, allowDisabled)) return graphic;
    return windowed;
}

MouseEvent WinControl::MouseEventOf(UINT message, WPARAM wParam, LPARAM lParam) {
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), wParam, ButtonOf(message),
            message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDBLCLK};
}

void WinControl::PaintClient(HDC dc, const RECT& area) {
    {
        const SavedDC saved(dc);
        graphics_.ExcludeOpaque(dc);
        SelectObject(dc, Font() ? Font() : GetStockObject(DEFAULT_GUI_FONT));
        Paint(dc);
    }
    graphics_.Paint(dc, area, Font());
}

void WinControl::Realign() {
    if (!handle_ || aligning_) return;
    aligning_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{aligning_};
    AlignControls();
}

void WinControl::AlignControls() {
    RECT free;
    GetClientRect(handle_, &free);
    // Top and bottom take the full width first; left and right share what remains; the client
    // control gets the rest.
    for (const Align pass : {Align::Top, Align::Bottom, Align::Left, Align::Right, Align::Client}) {
        for (Control* child : controls_) {
            if (child->Alignment() != pass || !child->Visible()) continue;
            const int width = free.right - free.left;
            const int height = free.bottom - free.top;
            switch (pass) {
            case Align::Top:
                child->SetBounds(free.left, free.top, width, child->Height());
                free.top += child->Height();
                break;
            case Align::Bottom:
                child->SetBounds(free.left, free.bottom - child->Height(), width, child->Height());
                free.bottom = child->Top();
                break;
            case Align::Left:
                child->SetBounds(free.left, free.top, child->Width(), height);
                free.left += child->Width();
                break;
            case Align::Right:
                child->SetBounds(free.right - child->Width(), free.top, child->Width(), height);
                free.right = child->Left();
                break;
            case Align::Client:
                child->SetBounds(free.left, free.top, width, height);
                break;
            case Align::None:
                break;
            }
        }
    }
}

bool WinControl::DialogChar(wchar_t key) {
    for (Control* child : std::vector<Control*>(controls_))
        if (child->Visible() && child->DialogChar(key)) return true;
    return false;
}

void WinControl::SysColorsChanged() {
    for (Control* child : std::vector<Control*>(controls_)) {
        if (auto* windowed = dynamic_cast<WinControl*>(child); windowed && windowed->Handle())
            SendMessageW(windowed->Handle(), WM_SYSCOLORCHANGE, 0, 0);
        else
            child->SysColorsChanged();
    }
}

namespace {

// Every control on the window, parents before their children, with its design bounds; and the
// windowed ones, children before their parents.
void CollectControls(const WinControl& parent, std::vector<std::pair<Control*, RECT>>& controls,
                     std::vector<WinControl*>& windows) {
    for (Control* child : parent.Controls()) {
        controls.emplace_back(child, child->DesignBounds());
        if (auto* windowed = dynamic_cast<WinControl*>(child)) {
            CollectControls(*windowed, controls, windows);
            windows.push_back(windowed);
        }
    }
}

}  // namespace

void WinControl::FollowDpiBelow(int oldDpi, HFONT oldFont, HFONT newFont) {
    // Placing one control realigns its parent, which moves children still at the old DPI: each
    // takes the design bounds it had before.
    std::vector<std::pair<Control*, RECT>> controls;
    std::vector<WinControl*> windows;
    CollectControls(*this, controls, windows);
    for (const auto& [control, design] : controls) control->FollowDpi(design, oldDpi, oldFont, newFont);
    for (WinControl* window : windows) window->Realign();
}

int WinControl::OwnDpi() const { return dpi_ ? dpi_ : SystemDpi(); }

void WinControl::SetParent(WinControl* parent) {
    if (parent == Parent()) return;
    ChangeParent(parent);
    if (handle_) ::SetParent(handle_, parent ? parent->Handle() : nullptr);
    if (Parent()) Parent()->Realign();
}

UpdateLock::UpdateLock(WinControl& control) : control_(control) { control_.BeginUpdate(); }

UpdateLock::~UpdateLock() { control_.EndUpdate(); }

void WinControl::BeginUpdate() {
    if (updateLock_++ == 0 && handle_) SendMessageW(handle_, WM_SETREDRAW, FALSE, 0);
}

void WinControl::EndUpdate() {
    if (updateLock_ == 0 || --updateLock_ > 0 || !handle_) return;
    SendMessageW(handle_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(handle_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void WinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

std::wstring WinControl::Caption() const {
    if (!handle_) return {};
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(handle_)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(handle_, text.data(), static_cast<int>(text.size()))));
    return text;
}

void WinControl::SetCaption(const std::wstring& caption) {
    if (handle_ && caption != Caption()) SetWindowTextW(handle_, caption.c_str());
}

void WinControl::SetFocus() {
    if (handle_) ::SetFocus(handle_);
}

void WinControl::BoundsChanged() {
    if (handle_) MoveWindow(handle_, Left(), Top(), Width(), Height(), TRUE);
}

void WinControl::VisibleChanged() {
    if (handle_) ShowWindow(handle_, Visible() ? SW_SHOW : SW_HIDE);
}

void WinControl::EnabledChanged() {
    if (handle_) EnableWindow(handle_, Enabled());
}

void WinControl::FontChanged() {
    if (handle_) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
}

}  // namespace morvane
