#include "toolbars/flat_button.h"

#include <oleacc.h>
#include <windowsx.h>

#include <exception>
#include <vector>

#include "toolbars/flat_toolbar.h"
#include "ui/application.h"
#include "ui/gdi.h"
#include "ui/timer.h"

namespace morvane {

namespace {

constexpr UINT kHotInterval = 125;

}  // namespace

// What all buttons share: the timer that ends the mouse-over look, the button it watches, the
// hook that ends it when the application loses activation, and the latched face's pattern. It
// lives from the first button to the last.
class HotTracking {
public:
    HotTracking() : timer_(kHotInterval) {
        hook_ = App().HookMainWindow([this](UINT message, WPARAM wParam, LPARAM, LRESULT&) {
            if (message == WM_ACTIVATEAPP && !wParam && hotButton_) hotButton_->LeaveHot();
            return false;
        });
    }
    ~HotTracking() { App().UnhookMainWindow(hook_); }

    static HotTracking* Instance() { return instance_; }
    static void Enter() {
        if (!instance_) instance_ = new HotTracking;
        ++instance_->liveButtons_;
    }
    static void Leave(TFlatButton& button) {
        if (!instance_) return;
        instance_->Forget(button);
        if (--instance_->liveButtons_ > 0) return;
        delete instance_;
        instance_ = nullptr;
    }

    TFlatButton* HotButton() const { return hotButton_; }
    bool TimerRunning() const { return timer_.Enabled(); }
    void Watch(TFlatButton& button) {
        hotButton_ = &button;
        timer_.OnTimer = [this] { Tick(); };
        timer_.SetEnabled(true);
    }
    void Forget(TFlatButton& button) {
        if (hotButton_ != &button) return;
        timer_.SetEnabled(false);
        hotButton_ = nullptr;
    }

    // Made again from the new colours at the next paint.
    void ForgetLatchBrush() { latchBrush_.Reset(nullptr); }

    // A 50 % dither of highlight and face, highlight at (0, 0).
    HBRUSH LatchBrush() {
        if (!latchBrush_) {
            UniqueBitmap pattern = CreateColorBitmap(8, 8);
            {
                MemoryDC dc(pattern.Get());
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x)
                        SetPixel(dc, x, y, GetSysColor((x + y) % 2 == 0 ? COLOR_BTNHIGHLIGHT : COLOR_BTNFACE));
            }
            latchBrush_.Reset(CreatePatternBrush(pattern.Get()));
        }
        return latchBrush_.Get();
    }

private:
    void Tick() {
        POINT cursor;
        GetCursorPos(&cursor);
        if (hotButton_ && WinControl::ControlAtScreen(cursor, true) != hotButton_) hotButton_->LeaveHot();
    }

    static HotTracking* instance_;
    Timer timer_;
    int hook_ = 0;
    TFlatButton* hotButton_ = nullptr;
    int liveButtons_ = 0;
    UniqueBrush latchBrush_;
};

HotTracking* HotTracking::instance_ = nullptr;

TFlatButton* TFlatButton::HotButton() { return HotTracking::Instance() ? HotTracking::Instance()->HotButton() : nullptr; }

bool TFlatButton::HotTimerRunning() { return HotTracking::Instance() && HotTracking::Instance()->TimerRunning(); }

TFlatButton::TFlatButton(WinControl* parent, int left, int top, int width, int height) : GraphicControl(parent) {
    HotTracking::Enter();
    SetClickOnRelease(false);  // the button decides itself when it is clicked
    SetOpaque(true);
    SetDesignBounds(left, top, width, height);
    glyph_.OnGlyphChange = [this] { RequestRepaint(true); };
}

TFlatButton::~TFlatButton() {
    glyph_.OnGlyphChange = nullptr;
    if (dropdownMenu_) dropdownMenu_->UnwatchDestruction(menuWatch_);
    HotTracking::Leave(*this);
}

void TFlatButton::Loaded() { glyph_.FaceImage(Enabled() ? bfUp : bfDisabled); }

void TFlatButton::RequestRepaint(bool erase) { InvalidateBounds(erase && !Opaque()); }

// ---- Properties ----

void TFlatButton::SetAllowAllUp(bool allow) {
    if (allow == allowAllUp_) return;
    allowAllUp_ = allow;
    NotifyGroup();
}

void TFlatButton::SetGroupIndex(int group) {
    if (group == groupIndex_) return;
    groupIndex_ = group;
    NotifyGroup();
}

void TFlatButton::SetDisplayMode(TButtonDisplayMode mode) {
    if (mode == displayMode_) return;
    displayMode_ = mode;
    RequestRepaint(true);
}

void TFlatButton::SetDropdownArrow(bool show) {
    if (show == dropdownArrow_) return;
    dropdownArrow_ = show;
    RequestRepaint(true);
}

void TFlatButton::SetDropdownMenu(PopupMenu* menu) {
    if (menu == dropdownMenu_) return;
    if (dropdownMenu_) dropdownMenu_->UnwatchDestruction(menuWatch_);
    dropdownMenu_ = menu;
    if (menu) menuWatch_ = menu->WatchDestruction([this] { dropdownMenu_ = nullptr; });
    if (dropdownArrow_) RequestRepaint(true);
}

void TFlatButton::SetCaption(const std::wstring& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    RequestRepaint(true);
}

void TFlatButton::SetGlyph(const Bitmap* glyph) {
    glyph_.SetGlyph(glyph);
    RequestRepaint(true);
}

void TFlatButton::SetGlyphResource(const std::wstring& name) {
    glyphResource_ = name;
    Bitmap glyph;
    glyph.LoadFromResource(GlyphResourceForDpi(name, Dpi()).c_str());
    SetGlyph(&glyph);
}

void TFlatButton::DpiChanged(int) {
    if (!glyphResource_.empty()) SetGlyphResource(glyphResource_);
    RequestRepaint(true);
}

void TFlatButton::SetLayout(TButtonLayout layout) {
    if (layout == layout_) return;
    layout_ = layout;
    RequestRepaint(true);
}

void TFlatButton::SetMargin(int margin) {
    if (margin == margin_ || margin < -1) return;
    margin_ = margin;
    RequestRepaint(true);
}

void TFlatButton::SetNumGlyphs(int count) {
    if (count > 4) count = 4;
    if (count == glyph_.NumGlyphs()) return;
    glyph_.SetNumGlyphs(count);
    RequestRepaint(true);
}

void TFlatButton::SetSpacing(int spacing) {
    if (spacing == spacing_) return;
    spacing_ = spacing;
    RequestRepaint(true);
}

void TFlatButton::SetWordWrap(bool wrap) {
    if (wrap == wordWrap_) return;
    wordWrap_ = wrap;
    RequestRepaint(true);
}

void TFlatButton::FontChanged() { RequestRepaint(true); }

void TFlatButton::EnabledChanged() {
    glyph_.FaceImage(Enabled() ? bfUp : bfDisabled);
    const std::weak_ptr<int> alive = alive_;
    RecheckHot();  // its enter or exit handler may destroy the button
    if (alive.expired()) return;
    RequestRepaint(true);
    NotifyState();
}

void TFlatButton::NotifyState() const {
    if (Parent()) Parent()->NotifyAccessible(EVENT_OBJECT_STATECHANGE, *this);
}

void TFlatButton::SysColorsChanged() {
    glyph_.ReleaseImages();
    glyph_.FaceImage(face_);
    if (HotTracking* tracking = HotTracking::Instance()) tracking->ForgetLatchBrush();
    RequestRepaint(true);
}

// ---- Keyboard and screen readers ----

void TFlatButton::SetKeyFocused(bool focused) {
    if (focused == keyFocused_) return;
    keyFocused_ = focused;
    RequestRepaint(true);
    if (focused && Parent()) Parent()->NotifyAccessible(EVENT_OBJECT_FOCUS, *this);
}

AccessibleDescription TFlatButton::Describe() const {
    AccessibleDescription description;
    description.Role = dropdownMenu_ ? ROLE_SYSTEM_BUTTONMENU : ROLE_SYSTEM_PUSHBUTTON;
    // The caption without the ampersand that marks its accelerator.
    for (size_t i = 0; i < caption_.size(); ++i) {
        if (caption_[i] == L'&' && i + 1 < caption_.size()) ++i;
        description.Name += caption_[i];
    }
    if (description.Name.empty()) description.Name = accessibleName_;
    if (dropdownMenu_) description.State |= STATE_SYSTEM_HASPOPUP;
    if (face_ == bfPressed || face_ == bfLatched) description.State |= STATE_SYSTEM_PRESSED;
    if (hot_) description.State |= STATE_SYSTEM_HOTTRACKED;
    const HWND host = Parent() ? Parent()->Handle() : nullptr;
    if (host && (GetWindowLongW(host, GWL_STYLE) & WS_TABSTOP)) {
        description.State |= STATE_SYSTEM_FOCUSABLE;
        if (keyFocused_ && GetFocus() == host) description.State |= STATE_SYSTEM_FOCUSED;
    }
    description.DefaultAction = dropdownMenu_ ? L"開く" : L"押す";
    return description;
}

bool TFlatButton::DoDefaultAction() {
    Click();
    return true;
}

// ---- Groups ----

void TFlatButton::SetDown(bool down) {
    if (groupIndex_ == 0) down = false;
    if (down == down_) return;
    // A latched member of a group without AllowAllUp comes up only when another goes down.
    if (down_ && !allowAllUp_) return;
    down_ = down;
    face_ = down ? bfLatched : bfUp;
    RequestRepaint(true);
    if (down) NotifyGroup();
}

void TFlatButton::NotifyGroup() {
    if (groupIndex_ == 0 || !Parent()) return;
    for (Control* control : std::vector<Control*>(Parent()->Controls()))
        if (auto* button = dynamic_cast<TFlatButton*>(control)) button->GroupPressed(groupIndex_, *this);
}

void TFlatButton::GroupPressed(int group, const TFlatButton& sender) {
    if (group != groupIndex_ || &sender == this) return;
    if (sender.down_ && down_) {
        down_ = false;
        face_ = bfUp;
        RequestRepaint(true);
    }
    allowAllUp_ = sender.allowAllUp_;  // the members of a group share the sender's setting
}

// ---- Mouse ----

bool TFlatButton::InsideLocal(const MouseEvent& event) const {
    const int x = event.X - Left();
    const int y = event.Y - Top();
    return x >= 0 && x < Width() && y >= 0 && y < Height();
}

void TFlatButton::MouseDown(const MouseEvent& event) {
    // Every handler the button fires may destroy it: it stops as soon as it is gone.
    const std::weak_ptr<int> alive = alive_;
    GraphicControl::MouseDown(event);
    if (alive.expired() || !Enabled()) return;
    hot_ = true;
    if (event.Button != MouseButton::Left) return;
    if (!down_) {
        face_ = bfPressed;
        RequestRepaint(true);
    } else if (allowAllUp_) {
        RequestRepaint(true);
    }
    if (dropdownMenu_)
        Click();  // the menu opens on the press
    else
        tracking_ = true;
    if (alive.expired()) return;
    if (event.DoubleClick && down_ && OnDblClick) OnDblClick();
}

void TFlatButton::MouseMove(const MouseEvent& event) {
    const std::weak_ptr<int> alive = alive_;
    GraphicControl::MouseMove(event);
    if (alive.expired()) return;
    HotTracking* tracking = HotTracking::Instance();
    if (tracking && tracking->HotButton() != this && Parent()) {
        POINT screen{event.X, event.Y};
        ClientToScreen(Parent()->Handle(), &screen);
        if (WinControl::ControlAtScreen(screen, false) == this) {
            if (TFlatButton* previous = tracking->HotButton()) previous->LeaveHot();
            if (alive.expired()) return;
            if (App().Active()) {
                tracking->Watch(*this);
                EnterHot();
            }
        }
    }
    if (alive.expired() || !tracking_) return;
    TButtonFace face = down_ ? bfLatched : bfUp;
    if (InsideLocal(event)) face = down_ ? bfLatched : bfPressed;
    if (face == face_) return;
    face_ = face;
    RequestRepaint(true);
}

void TFlatButton::MouseUp(const MouseEvent& event) {
    const std::weak_ptr<int> alive = alive_;
    // The right button cancels a press in progress.
    if (event.Button == MouseButton::Right && Enabled()) {
        tracking_ = false;
        LeaveHot();
        if (alive.expired()) return;
    }
    GraphicControl::MouseUp(event);
    if (alive.expired() || event.Button != MouseButton::Left || !tracking_) return;
    tracking_ = false;
    const bool doClick = !dropdownMenu_ && InsideLocal(event);
    if (groupIndex_ != 0) {
        if (doClick)
            SetDown(!down_);
        else if (down_)
            face_ = bfLatched;
    }
    if (doClick)
        Click();
    else
        RecheckHot();
}

void TFlatButton::MouseLeave() {
    GraphicControl::MouseLeave();
    LeaveHot();
}

// ---- Hot tracking ----

void TFlatButton::EnterHot() {
    if (!Enabled() || hot_) return;
    hot_ = true;
    // Only a latched face must be erased (its pattern goes); others just get the raised edge.
    RequestRepaint(down_);
    if (OnMouseEnter) OnMouseEnter();
}

void TFlatButton::LeaveHot() {
    if (!Enabled() || !hot_ || tracking_) return;
    if (!inClick_ && face_ == bfPressed) face_ = bfUp;
    hot_ = false;
    RequestRepaint(true);
    if (HotTracking* tracking = HotTracking::Instance()) tracking->Forget(*this);
    if (OnMouseExit) OnMouseExit();
}

void TFlatButton::RecheckHot() {
    if (!Enabled()) return;
    POINT cursor;
    GetCursorPos(&cursor);
    // The enter or exit event fires even when the hot state stays as it was.
    if (WinControl::ControlAtScreen(cursor, true) == this) {
        hot_ = false;
        EnterHot();
    } else {
        hot_ = true;
        LeaveHot();
    }
}

// ---- Click ----

void TFlatButton::Click() {
    const std::weak_ptr<int> alive = alive_;
    inClick_ = true;
    if (face_ == bfUp) {
        face_ = bfPressed;  // a click from the keyboard or from code shows the pressed face
        RequestRepaint(true);
        NotifyState();
    }
    LeaveHot();
    if (alive.expired()) return;  // its exit handler destroyed it: nothing is left to click
    std::exception_ptr failure;
    try {
        if (dropdownMenu_)
            OpenDropdownMenu(*dropdownMenu_);
        else
            GraphicControl::Click();
    } catch (...) {
        failure = std::current_exception();
    }
    if (!alive.expired()) {
        inClick_ = false;
        if (face_ == bfPressed) face_ = bfUp;
        RequestRepaint(true);
        NotifyState();
        RecheckHot();
    }
    if (failure) std::rethrow_exception(failure);
}

void TFlatButton::OpenDropdownMenu(PopupMenu& menu) {
    const std::weak_ptr<int> alive = alive_;
    if (Parent()) Parent()->SetCapture(nullptr);
    const PopupAlignment saved = menu.Alignment();
    menu.SetAlignment(PopupAlignment::Left);
    // Below the button, left edges aligned; on a vertical dock beside it, away from the edge.
    POINT at{0, Height()};
    if (const auto* bar = dynamic_cast<const TFlatToolbar*>(Parent());
        bar && PlacementOf(bar->DockedTo()) == bpVertical) {
        if (bar->DockedTo()->Position() == dpLeft) {
            at = {Width(), 0};
        } else {
            at = {0, 0};
            menu.SetAlignment(PopupAlignment::Right);
        }
    }
    at.x += Left();
    at.y += Top();
    if (Parent()) ClientToScreen(Parent()->Handle(), &at);
    menu.SetPopupComponent(this);
    std::exception_ptr failure;
    int watch = 0;
    bool menuAlive = true;
    watch = menu.WatchDestruction([&menuAlive] { menuAlive = false; });
    try {
        menu.Popup(at.x, at.y);
    } catch (...) {
        failure = std::current_exception();
    }
    if (menuAlive) {
        menu.SetAlignment(saved);
        menu.UnwatchDestruction(watch);
    }
    if (!alive.expired()) SweepPressesOnButton();
    if (failure) std::rethrow_exception(failure);
}

// The press that closed the menu by pressing the button again must not open it again: presses
// over the button still queued are dropped, every other mouse button message goes back.
void TFlatButton::SweepPressesOnButton() {
    std::vector<MSG> setAside;
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_LBUTTONDOWN, WM_MBUTTONDBLCLK, PM_REMOVE | PM_NOYIELD)) {
        const UINT kind = message.message;
        const bool press = kind == WM_LBUTTONDOWN || kind == WM_LBUTTONDBLCLK || kind == WM_RBUTTONDOWN ||
                           kind == WM_RBUTTONDBLCLK || kind == WM_MBUTTONDOWN || kind == WM_MBUTTONDBLCLK;
        if (press) {
            POINT point{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
            ClientToScreen(message.hwnd, &point);
            if (WinControl::ControlAtScreen(point, true) == this) continue;
        }
        setAside.push_back(message);
    }
    for (const MSG& kept : setAside) PostMessageW(kept.hwnd, kept.message, kept.wParam, kept.lParam);
}

bool TFlatButton::DialogChar(wchar_t key) {
    // The accelerator is the character after a single ampersand.
    for (size_t i = 0; i + 1 < caption_.size(); ++i) {
        if (caption_[i] != L'&') continue;
        if (caption_[i + 1] == L'&') {
            ++i;
            continue;
        }
        wchar_t pair[2] = {caption_[i + 1], key};
        CharUpperBuffW(pair, 2);  // the key matches in either case
        if (pair[0] != pair[1] || !Enabled() || !Visible()) return false;
        Click();
        return true;
    }
    return false;
}

// ---- Painting ----

void TFlatButton::Paint(HDC dc) {
    if (!Opaque()) {
        const int saved = SaveDC(dc);
        OffsetViewportOrgEx(dc, Left(), Top(), nullptr);
        PaintFace(dc);
        RestoreDC(dc, saved);
        return;
    }
    // Opaque: painted off screen and copied in one step, so the face never flickers.
    UniqueBitmap image = CreateColorBitmap(Width(), Height());
    MemoryDC offscreen(image.Get());
    const COLORREF color = Parent() && Parent()->Color() != CLR_INVALID ? Parent()->Color() : GetSysColor(COLOR_BTNFACE);
    FillRectangle(offscreen, RECT{0, 0, Width(), Height()}, color);
    SelectedObject font(offscreen, GetCurrentObject(dc, OBJ_FONT));
    PaintFace(offscreen);
    BitBlt(dc, Left(), Top(), Width(), Height(), offscreen, 0, 0, SRCCOPY);
}

void TFlatButton::PaintFace(HDC dc) {
    if (!Enabled()) {
        face_ = bfDisabled;
        tracking_ = false;
    } else if (face_ == bfDisabled) {
        face_ = down_ && groupIndex_ != 0 ? bfLatched : bfUp;
    }
    RECT area{0, 0, Width(), Height()};
    const bool sunken = face_ == bfPressed || face_ == bfLatched;
    if (sunken)
        DrawEdge(dc, &area, BDR_SUNKENOUTER, BF_RECT);
    else if ((hot_ || keyFocused_) && face_ != bfDisabled)
        DrawEdge(dc, &area, BDR_RAISEDINNER, BF_RECT);
    if (keyFocused_) {
        RECT focus = area;
        InflateRect(&focus, -3, -3);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        DrawFocusRect(dc, &focus);
    }
    InflateRect(&area, -1, -1);
    POINT offset{0, 0};
    if (sunken) {
        if (face_ == bfLatched && !hot_) {
            SetBrushOrgEx(dc, 0, 0, nullptr);
            FillRect(dc, &area, HotTracking::Instance()->LatchBrush());
        }
        offset = {1, 1};
    }
    FaceContent content;
    content.Caption = caption_;
    content.Layout = layout_;
    content.Margin = margin_;
    content.Spacing = spacing_;
    content.DropArrow = dropdownArrow_ && dropdownMenu_;
    content.WordWrap = wordWrap_;
    content.ShowGlyph = displayMode_ != dmTextOnly;
    content.ShowText = displayMode_ != dmGlyphOnly;
    content.Dpi = Dpi();
    glyph_.DrawFace(dc, area, offset, content, face_, true);
}

}  // namespace morvane
