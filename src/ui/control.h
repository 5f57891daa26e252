#pragma once
// Controls: the windowless kind, painted by its windowed parent, and the windowed kind with a
// window of its own. Setters compare first and repaint only on a change.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/graphic_host.h"

namespace morvane {

class HostAccessible;
class PopupMenu;
class WinControl;

enum class MouseButton { Left, Right, Middle };

// What a screen reader is told of a windowless control. Role 0: the control is no element of its
// own (a bevel, a picture). The host adds the unavailable and invisible states itself.
struct AccessibleDescription {
    long Role = 0;
    std::wstring Name;
    long State = 0;
    std::wstring DefaultAction;  // empty: none
};

struct MouseEvent {
    int X = 0;
    int Y = 0;
    WPARAM Keys = 0;  // MK_ flags at the time of the event
    MouseButton Button = MouseButton::Left;
    bool DoubleClick = false;
};

// A child placed against an edge of its parent's client area, or filling what the others leave.
enum class Align { None, Top, Bottom, Left, Right, Client };

class Control {
public:
    explicit Control(WinControl* parent);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    WinControl* Parent() const { return parent_; }
    // Moves the control to another parent (none detaches it).
    virtual void SetParent(WinControl* parent);

    int Left() const { return bounds_.left; }
    int Top() const { return bounds_.top; }
    int Width() const { return bounds_.right - bounds_.left; }
    int Height() const { return bounds_.bottom - bounds_.top; }
    RECT BoundsRect() const { return bounds_; }
    void SetBounds(int left, int top, int width, int height);
    // Bounds in design pixels (the layouts' 96 DPI), placed at the control's DPI; the control
    // keeps them and takes them again at another DPI.
    void SetDesignBounds(int left, int top, int width, int height);
    RECT DesignBounds() const { return design_; }
    // The DPI the control is laid out for: that of its top-level window.
    virtual int Dpi() const;
    // A length in design pixels at the control's DPI.
    int Scaled(int design) const;
    // The control's window moved to another DPI (Form does this on WM_DPICHANGED, for every
    // control, parents first): the control takes the new font where it used the old one and the
    // design bounds it had before the change at the new DPI, and lets DpiChanged follow.
    void FollowDpi(const RECT& design, int oldDpi, HFONT oldFont, HFONT newFont);

    Align Alignment() const { return align_; }
    void SetAlign(Align align);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    HFONT Font() const { return font_; }
    void SetFont(HFONT font);  // not owned
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);
    // An opaque windowless control paints every pixel of its bounds: the parent paints nothing
    // beneath it and repaints of it need no erasing.
    bool Opaque() const { return opaque_; }
    void SetOpaque(bool opaque);

    virtual bool Windowed() const { return false; }
    // Asks for the control's area to be painted again.
    virtual void Invalidate();
    // The same for a windowless control, choosing whether the parent's background is painted
    // beneath it first.
    void InvalidateBounds(bool erase);

    std::function<void()> OnClick;
    std::function<void(const MouseEvent&)> OnMouseDown;
    std::function<void(const MouseEvent&)> OnMouseMove;
    std::function<void(const MouseEvent&)> OnMouseUp;

    // Windowless controls: painting and mouse input, in the parent's client coordinates. A
    // windowed control paints its own client area through Paint, in its own coordinates.
    virtual void Paint(HDC) {}
    virtual void MouseDown(const MouseEvent& event);
    virtual void MouseMove(const MouseEvent& event);
    virtual void MouseUp(const MouseEvent& event);
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}

    virtual void Click();
    // A mnemonic key (Alt+key) on its way through the form; true when the control took it.
    virtual bool DialogChar(wchar_t) { return false; }
    // The system colours changed.
    virtual void SysColorsChanged() {}
    // The DPI changed and the bounds and font followed: measures of the control's own (item
    // heights, columns, margins) follow here.
    virtual void DpiChanged(int /*oldDpi*/) {}
    // The mouse pointer over a windowless control; none keeps the window's own.
    virtual HCURSOR Cursor() const { return nullptr; }
    // A windowless control as screen readers see it, and its default action (false: it has none).
    virtual AccessibleDescription Describe() const { return {}; }
    virtual bool DoDefaultAction() { return false; }

protected:
    // Hooks for the windowed kind, which applies each change to its window.
    virtual void BoundsChanged() { Invalidate(); }
    virtual void VisibleChanging(bool /*visible*/) {}
    virtual void VisibleChanged() { Invalidate(); }
    virtual void EnabledChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }
    // Records bounds that the window already has (moved by the user or the system).
    void SyncBounds(const RECT& bounds);
    // The DPI of a control without a parent.
    virtual int OwnDpi() const;
    // A window of its own on the screen (a floating toolbar) keeps its place when its form changes
    // DPI; everything else takes its design bounds at the new DPI.
    virtual bool KeepsPlaceOnDpiChange() const { return false; }
    // Whether a left-button release inside the control runs Click (controls that decide for
    // themselves turn it off).
    void SetClickOnRelease(bool click) { clickOnRelease_ = click; }
    // Changes the parent pointer and the parents' child lists, nothing else.
    void ChangeParent(WinControl* parent);

private:
    friend class WinControl;
    WinControl* parent_ = nullptr;
    RECT bounds_{};
    RECT design_{};
    Align align_ = Align::None;
    bool visible_ = true;
    bool enabled_ = true;
    bool opaque_ = false;
    bool clickOnRelease_ = true;
    HFONT font_ = nullptr;
    COLORREF color_ = CLR_INVALID;  // CLR_INVALID: the control's own default
};

// A windowless control: it lives on its windowed parent, which paints it and routes mouse input.
class GraphicControl : public Control {
public:
    explicit GraphicControl(WinControl* parent);
};

class WinControl;

// Holds a window's repaint lock (BeginUpdate and EndUpdate) for as long as it lives.
class UpdateLock {
public:
    explicit UpdateLock(WinControl& control);
    ~UpdateLock();
    UpdateLock(const UpdateLock&) = delete;
    UpdateLock& operator=(const UpdateLock&) = delete;

private:
    WinControl& control_;
};

class WinControl : public Control {
public:
    explicit WinControl(WinControl* parent);
    ~WinControl() override;

    HWND Handle() const { return handle_; }
    bool Windowed() const override { return true; }
    void Invalidate() override;
    void SetParent(WinControl* parent) override;

    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    void SetFocus();
    // The context menu the right mouse button (or the menu key) opens over the window.
    PopupMenu* ContextMenu() const { return contextMenu_; }
    void SetContextMenu(PopupMenu* menu) { contextMenu_ = menu; }

    // Every child control, windowed or not, in the order they came.
    const std::vector<Control*>& Controls() const { return controls_; }
    // Windowless children, in z-order (last on top).
    void AddGraphic(Control* control);
    void RemoveGraphic(Control* control);
    void SetCapture(Control* control);
    // The windowless child at a client point, the topmost visible one; disabled ones only when
    // asked for.
    Control* ControlAt(POINT point, bool allowDisabled) const;
    // The control under a screen point: the windowless child there, else the window's control.
    static Control* ControlAtScreen(POINT point, bool allowDisabled);

    // Between BeginUpdate and the matching EndUpdate the window does not paint; it repaints once,
    // with everything on it, at the end. Calls nest.
    void BeginUpdate();
    void EndUpdate();

    // Every control below this one follows a change of DPI (parents first, each taking the design
    // bounds it had before the change), and the windows lay their children out again.
    void FollowDpiBelow(int oldDpi, HFONT oldFont, HFONT newFont);

    // Places the children again; the parent asks whenever its size or a child's bounds,
    // visibility or presence change. By default it arranges the aligned children.
    void Realign();
    bool DialogChar(wchar_t key) override;
    void SysColorsChanged() override;

    // The name screen readers give the window (a field is named by its label); empty: the system's.
    const std::wstring& AccessibleName() const { return accessibleName_; }
    void SetAccessibleName(std::wstring name) { accessibleName_ = std::move(name); }
    // Tells screen readers of an event (EVENT_OBJECT_FOCUS, EVENT_OBJECT_STATECHANGE, ...) of a
    // windowless child that describes itself.
    void NotifyAccessible(DWORD event, const Control& child) const;

    // The control that owns a window of ours, or nullptr.
    static WinControl* FromHandle(HWND handle);
    // A mouse button or move message as the event the controls get.
    static MouseEvent MouseEventOf(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Creates the window. A class of our own is registered under the given name; a system class
    // (button, list box, ...) is created and subclassed.
    void CreateHandle(const wchar_t* className, bool systemClass, DWORD style, DWORD exStyle,
                      HWND owner = nullptr);

    // Destroys the window ahead of the control, for controls whose window must go before their
    // members do.
    void DestroyHandle();

    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Notifications a parent reflects back to the child control they concern.
    virtual void Command(WORD) {}
    virtual void DrawItem(const DRAWITEMSTRUCT&) {}
    // WM_NOTIFY from a child window; true when handled, with the message's result.
    virtual bool Notify(const NMHDR&, LRESULT&) { return false; }
    virtual HBRUSH ControlColor(HDC) { return nullptr; }

    virtual void AlignControls();
    // A child came (inserting) or went.
    virtual void ControlListChanged(Control* /*child*/, bool /*inserting*/) {}
    // The window itself reports the mouse entering and leaving it (MouseEnter, MouseLeave).
    void TrackMouseEnterLeave() { trackMouse_ = true; }

    void BoundsChanged() override;
    void VisibleChanged() override;
    void EnabledChanged() override;
    void FontChanged() override;
    int OwnDpi() const override;
    // The DPI of a top-level window, taken from the system when it is created and changed by the
    // form on WM_DPICHANGED.
    void SetOwnDpi(int dpi) { dpi_ = dpi; }

private:
    friend class Control;
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    void TrackOwnMouse();
    void PaintClient(HDC dc, const RECT& area);
    void InsertControl(Control* control);
    void RemoveControl(Control* control);

    HWND handle_ = nullptr;
    WNDPROC systemProc_ = nullptr;
    std::vector<Control*> controls_;
    GraphicHost graphics_{*this};
    PopupMenu* contextMenu_ = nullptr;
    bool aligning_ = false;
    int updateLock_ = 0;
    int dpi_ = 0;  // 0: the system's
    bool trackMouse_ = false;
    bool mouseInside_ = false;
    std::wstring accessibleName_;
    HostAccessible* accessible_ = nullptr;  // served to screen readers, made when first asked for
};

}  // namespace morvane
