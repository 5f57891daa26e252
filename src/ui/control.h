#pragma once
// Controls: the windowless kind, painted by its windowed parent, and the windowed kind with a
// window of its own. Setters compare first and repaint only on a change.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace morvane {

class WinControl;

struct MouseEvent {
    int X = 0;
    int Y = 0;
    WPARAM Keys = 0;  // MK_ flags at the time of the event
};

class Control {
public:
    explicit Control(WinControl* parent);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    WinControl* Parent() const { return parent_; }

    int Left() const { return bounds_.left; }
    int Top() const { return bounds_.top; }
    int Width() const { return bounds_.right - bounds_.left; }
    int Height() const { return bounds_.bottom - bounds_.top; }
    RECT BoundsRect() const { return bounds_; }
    void SetBounds(int left, int top, int width, int height);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    HFONT Font() const { return font_; }
    void SetFont(HFONT font);  // not owned
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);

    virtual bool Windowed() const { return false; }
    // Asks for the control's area to be painted again.
    virtual void Invalidate();

    std::function<void()> OnClick;
    std::function<void(const MouseEvent&)> OnMouseDown;
    std::function<void(const MouseEvent&)> OnMouseMove;
    std::function<void(const MouseEvent&)> OnMouseUp;

    // Windowless controls: painting and mouse input, in the parent's client coordinates.
    virtual void Paint(HDC) {}
    virtual void MouseDown(const MouseEvent& event);
    virtual void MouseMove(const MouseEvent& event);
    virtual void MouseUp(const MouseEvent& event);
    virtual void MouseLeave() {}

    virtual void Click();

protected:
    // Hooks for the windowed kind, which applies each change to its window.
    virtual void BoundsChanged() { Invalidate(); }
    virtual void VisibleChanged() { Invalidate(); }
    virtual void EnabledChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }
    // Records bounds that the window already has (moved by the user or the system).
    void SyncBounds(const RECT& bounds) { bounds_ = bounds; }

private:
    WinControl* parent_;
    RECT bounds_{};
    bool visible_ = true;
    bool enabled_ = true;
    HFONT font_ = nullptr;
    COLORREF color_ = CLR_INVALID;  // CLR_INVALID: the control's own default
};

// A windowless control: it lives on its windowed parent, which paints it and routes mouse input.
class GraphicControl : public Control {
public:
    explicit GraphicControl(WinControl* parent);
    ~GraphicControl() override;
};

class WinControl : public Control {
public:
    explicit WinControl(WinControl* parent);
    ~WinControl() override;

    HWND Handle() const { return handle_; }
    bool Windowed() const override { return true; }
    void Invalidate() override;

    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    void SetFocus();

    // Windowless children, in z-order (last on top).
    void AddGraphic(Control* control);
    void RemoveGraphic(Control* control);
    void SetCapture(Control* control);

    // The control that owns a window of ours, or nullptr.
    static WinControl* FromHandle(HWND handle);

protected:
    // Creates the window. A class of our own is registered under the given name; a system class
    // (button, list box, ...) is created and subclassed.
    void CreateHandle(const wchar_t* className, bool systemClass, DWORD style, DWORD exStyle,
                      HWND owner = nullptr);

    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Notifications a parent reflects back to the child control they concern.
    virtual void Command(WORD) {}
    virtual void DrawItem(const DRAWITEMSTRUCT&) {}
    // WM_NOTIFY from a child window; true when handled, with the message's result.
    virtual bool Notify(const NMHDR&, LRESULT&) { return false; }
    virtual HBRUSH ControlColor(HDC) { return nullptr; }

    void BoundsChanged() override;
    void VisibleChanged() override;
    void EnabledChanged() override;
    void FontChanged() override;

private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    bool RouteMouse(UINT message, WPARAM wParam, LPARAM lParam);
    Control* GraphicAt(POINT point) const;
    void PaintGraphics(HDC dc, const RECT& area);

    HWND handle_ = nullptr;
    WNDPROC systemProc_ = nullptr;
    std::vector<Control*> graphics_;
    Control* capture_ = nullptr;
    Control* hover_ = nullptr;
};

}  // namespace morvane
