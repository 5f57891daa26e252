#include "ui/control.h"

#include <windowsx.h>

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "ui/application.h"

namespace morvane {

// ---- Control ----

Control::Control(WinControl* parent) : parent_(parent) {
    if (parent_) font_ = parent_->Font();
}

Control::~Control() = default;

void Control::SetBounds(int left, int top, int width, int height) {
    const RECT bounds{left, top, left + width, top + height};
    if (EqualRect(&bounds, &bounds_)) return;
    if (!Windowed()) Invalidate();  // the area it leaves
    bounds_ = bounds;
    BoundsChanged();
}

void Control::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    VisibleChanged();
}

void Control::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    EnabledChanged();
}

void Control::SetFont(HFONT font) {
    if (font == font_) return;
    font_ = font;
    FontChanged();
}

void Control::SetColor(COLORREF color) {
    if (color == color_) return;
    color_ = color;
    Invalidate();
}

void Control::Invalidate() {
    if (parent_ && parent_->Handle()) InvalidateRect(parent_->Handle(), &bounds_, TRUE);
}

void Control::MouseDown(const MouseEvent& event) {
    if (OnMouseDown) OnMouseDown(event);
}

void Control::MouseMove(const MouseEvent& event) {
    if (OnMouseMove) OnMouseMove(event);
}

void Control::MouseUp(const MouseEvent& event) {
    if (OnMouseUp) OnMouseUp(event);
    const POINT point{event.X, event.Y};
    if (PtInRect(&bounds_, point)) Click();
}

void Control::Click() {
    if (OnClick) OnClick();
}

// ---- GraphicControl ----

GraphicControl::GraphicControl(WinControl* parent) : Control(parent) {
    if (parent) parent->AddGraphic(this);
}

GraphicControl::~GraphicControl() {
    if (Parent()) Parent()->RemoveGraphic(this);
}

// ---- WinControl ----

namespace {

// Which object owns which window. This lookup runs for every message, so it stays inside the
// process: a window property would do the same, but under Wine each property read is a round trip
// to the server (about 50 µs), which made a list of ten thousand entries take a second to fill.
std::mutex controlsLock;
std::unordered_map<HWND, WinControl*>& Controls() {
    static std::unordered_map<HWND, WinControl*> controls;
    return controls;
}

void Attach(HWND handle, WinControl* control) {
    const std::lock_guard lock(controlsLock);
    Controls()[handle] = control;
}

void Detach(HWND handle) {
    const std::lock_guard lock(controlsLock);
    Controls().erase(handle);
}

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

}  // namespace

WinControl::WinControl(WinControl* parent) : Control(parent) {}

WinControl::~WinControl() {
    if (handle_) {
        Detach(handle_);
        if (systemProc_) SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProc_));
        DestroyWindow(handle_);
    }
}

WinControl* WinControl::FromHandle(HWND handle) {
    if (!handle) return nullptr;
    const std::lock_guard lock(controlsLock);
    const auto found = Controls().find(handle);
    return found != Controls().end() ? found->second : nullptr;
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
    case WM_PAINT:
        if (!systemProc_) {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(handle_, &paint);
            PaintGraphics(dc, paint.rcPaint);
            EndPaint(handle_, &paint);
            return 0;
        }
        break;
    case WM_MOUSELEAVE:
        if (hover_) {
            Control* left = hover_;
            hover_ = nullptr;
            left->MouseLeave();
        }
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
        if (RouteMouse(message, wParam, lParam)) return 0;
        break;
    case WM_WINDOWPOSCHANGED: {
        RECT bounds;
        GetWindowRect(handle_, &bounds);
        if (Parent()) MapWindowPoints(nullptr, Parent()->Handle(), reinterpret_cast<POINT*>(&bounds), 2);
        SyncBounds(bounds);
        break;
    }
    case WM_CAPTURECHANGED:
        if (capture_ && reinterpret_cast<HWND>(lParam) != handle_) capture_ = nullptr;
        break;
    }
    return DefaultProc(message, wParam, lParam);
}

void WinControl::AddGraphic(Control* control) { graphics_.push_back(control); }

void WinControl::RemoveGraphic(Control* control) {
    graphics_.erase(std::remove(graphics_.begin(), graphics_.end(), control), graphics_.end());
    if (capture_ == control) SetCapture(nullptr);
    if (hover_ == control) hover_ = nullptr;
}

void WinControl::SetCapture(Control* control) {
    capture_ = control;
    if (control)
        ::SetCapture(handle_);
    else if (GetCapture() == handle_)
        ReleaseCapture();
}

Control* WinControl::GraphicAt(POINT point) const {
    for (auto it = graphics_.rbegin(); it != graphics_.rend(); ++it) {
        const RECT bounds = (*it)->BoundsRect();
        if ((*it)->Visible() && (*it)->Enabled() && PtInRect(&bounds, point)) return *it;
    }
    return nullptr;
}

bool WinControl::RouteMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const MouseEvent event{point.x, point.y, wParam};
    Control* target = capture_ ? capture_ : GraphicAt(point);
    if (message == WM_MOUSEMOVE && target != hover_ && !capture_) {
        Control* left = hover_;
        hover_ = target;
        if (left) left->MouseLeave();
        if (hover_) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, handle_, 0};
            TrackMouseEvent(&track);
        }
    }
    if (!target) return false;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetCapture(target);
        target->MouseDown(event);
        break;
    case WM_MOUSEMOVE:
        target->MouseMove(event);
        break;
    case WM_LBUTTONUP:
        SetCapture(nullptr);
        target->MouseUp(event);
        break;
    }
    return true;
}

void WinControl::PaintGraphics(HDC dc, const RECT& area) {
    for (Control* graphic : graphics_) {
        RECT bounds = graphic->BoundsRect();
        RECT common;
        if (!graphic->Visible() || !IntersectRect(&common, &bounds, &area)) continue;
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
        SelectObject(dc, graphic->Font() ? graphic->Font() : Font());
        graphic->Paint(dc);
        RestoreDC(dc, saved);
    }
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
