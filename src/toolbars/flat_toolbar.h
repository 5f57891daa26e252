#pragma once
// The toolbar: a self-painted container that lines its controls up in groups, docked in a dock
// or floating in a small tool window of its own (owned by its form, through its FloatHost) with
// a frame, a caption bar and a close button. A press on it starts dragging it.
#include <functional>
#include <memory>
#include <vector>

#include "toolbars/bar_layout.h"
#include "toolbars/flat_dock.h"
#include "toolbars/float_frame.h"
#include "toolbars/toolbar_keys.h"
#include "ui/control.h"
#include "ui/handles.h"

namespace morvane {

// The owner of the floating toolbars of one form: a child window of the form without bounds of
// its own that draws nothing.
class TFloatParent : public WinControl {
public:
    explicit TFloatParent(WinControl& hostForm);
};

class TFlatToolbar : public WinControl {
public:
    // The owner must be a form. The toolbar starts floating (parked off the screen, shown from
    // Loaded on); setting DockedTo puts it in a dock.
    explicit TFlatToolbar(WinControl& owner);
    // Docked in the dock at the position from its creation, as if SetDockPos and SetDockedTo had
    // been given it.
    TFlatToolbar(WinControl& owner, TFlatDock& dock, int dockPos);
    ~TFlatToolbar() override;

    // The form that owns the toolbar, and every live toolbar a form owns, in creation order.
    WinControl& Owner() const { return owner_; }
    static std::vector<TFlatToolbar*> OwnedBy(const WinControl& form);

    bool CanDockLeftRight() const { return canDockLeftRight_; }
    void SetCanDockLeftRight(bool can) { canDockLeftRight_ = can; }
    bool CloseButton() const { return closeButton_; }
    void SetCloseButton(bool show);
    TFlatDock* DefaultDock() const { return defaultDock_; }
    void SetDefaultDock(TFlatDock* dock) { defaultDock_ = dock; }

    // The dock the toolbar is in; none means floating.
    TFlatDock* DockedTo() const;
    void SetDockedTo(TFlatDock* dock);
    int DockRow() const { return dockRow_; }
    void SetDockRow(int row);
    int DockPos() const { return dockPos_; }
    void SetDockPos(int pos);

    // In design pixels, as the dock's arithmetic counts.
    int TallestChild() const { return tallestChild_; }
    int WidestChild() const { return widestChild_; }
    int MinDockedHeight() const { return tallestChild_ + 4; }
    int MinDockedWidth() const { return widestChild_ + 4; }
    const std::vector<Control*>& ChildOrder() const { return childOrder_; }
    const std::vector<BarLineBreak>& LineBreaks() const { return lineBreaks_; }
    // The keyboard among the toolbar's buttons.
    ToolbarKeys& Keys() { return keys_; }

    // Where and how wide the toolbar floats or last floated (screen rectangle of the floating
    // window, with its real left edge; empty until known; wrap width 0 is one line). Setting
    // the bounds of a floating toolbar moves it.
    RECT FloatBounds() const;
    void SetFloatBounds(const RECT& bounds);
    int FloatWrapWidth() const { return floatWrapWidth_; }
    void SetFloatWrapWidth(int width) { floatWrapWidth_ = width; }
    TFloatParent& FloatHost() { return *floatHost_; }
    // The form the toolbar floats over: its owner, or the MDI frame of an owner that is an MDI
    // child.
    WinControl& HostForm() const { return hostForm_; }

    // A floating toolbar is parked while its form is hidden or the application inactive: its
    // window waits left of the whole virtual screen, and TrueLeft keeps its real left edge.
    bool Parked() const { return parked_; }
    int TrueLeft() const { return trueLeft_; }
    void SetParked(bool parked);
    // The bounds with the real left edge (screen coordinates while floating).
    RECT RealBounds() const;
    // Moves a floating toolbar into the work area; with onlyIfOffScreen only one that lies
    // entirely outside it.
    void KeepOnScreen(bool onlyIfOffScreen);

    // The floating frame's geometry and painting, at the toolbar's DPI.
    FloatFrame Frame() const { return SystemFloatFrame(Dpi()); }
    bool CloseButtonPressed() const { return closeButtonPressed_; }
    void SetCloseButtonPressed(bool pressed);
    // Expires when the toolbar is destroyed: the mouse loops stop touching it then.
    std::weak_ptr<int> LifeToken() const { return life_; }

    std::function<void()> OnClose;
    std::function<void()> OnRecreating;
    std::function<void()> OnRecreated;
    std::function<void()> OnDockChanging;
    std::function<void()> OnDockChanged;

    // Lays the controls out for a target dock (none: floating, wrapped at wrapWidth) and returns
    // the client size, both in the toolbar's pixels (the arithmetic runs at design size). Measuring
    // (moveControls false) leaves no trace on the toolbar.
    SIZE LayOutControls(bool moveControls, bool resizeSelf, TFlatDock* target, int wrapWidth);
    // The usual layout: for the dock it is in, wrapped at FloatWrapWidth when floating.
    SIZE LayOutControls();
    // Once its controls exist: orders them by their position and lays them out.
    void Loaded();
    void SetParent(WinControl* parent) override;
    // Floating on a monitor of another scale than its form, the toolbar has a DPI of its own.
    int Dpi() const override;
    bool KeepsPlaceOnDpiChange() const override { return !DockedTo(); }
    void DpiChanged(int oldDpi) override;
    void Paint(HDC dc) override;
    // A press on the toolbar or on one of its separators (dragging starts here).
    void MouseDown(const MouseEvent& event) override;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void AlignControls() override;
    void ControlListChanged(Control* child, bool inserting) override;
    void BoundsChanged() override;
    void VisibleChanged() override;

private:
    friend class TFlatDock;  // rewrites DockRow and DockPos as it arranges
    bool DragHandle() const;
    void PaintDragHandle(HDC dc, const RECT& client) const;
    // The window under the parent given (the dock, or the host form as owner), its FloatHost and
    // the form hooks: the part both constructors share.
    void MakeWindow(HWND parent, DWORD style, DWORD exStyle);
    // Makes the window a child of its dock or a tool window owned by the host form.
    void MatchWindowToParent();
    // A docked toolbar is a tab stop when it has buttons for the keyboard, and Tab goes into the
    // windows on it (the fields' panel).
    DWORD DockedKeyboardStyle() const;
    DWORD DockedExStyle() const;
    // The controls follow the toolbar to a DPI of its own (0: its form's again).
    void TakeOwnDpi(int dpi);
    // Puts the floating window at bounds with the given real left edge (parked: off the screen),
    // raised to the top if asked.
    void PlaceFloatingWindow(const RECT& bounds, bool raise = false);
    void PaintFrame(HRGN updateRegion, unsigned parts);
    LRESULT FloatingMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    std::shared_ptr<int> life_ = std::make_shared<int>(0);
    WinControl& owner_;
    WinControl& hostForm_;
    HWND hookedHost_ = nullptr;
    HWND hookedOwner_ = nullptr;
    std::unique_ptr<TFloatParent> floatHost_;
    bool canDockLeftRight_ = true;
    bool closeButton_ = true;
    TFlatDock* defaultDock_ = nullptr;
    int dockRow_ = 0;
    int dockPos_ = -1;
    int tallestChild_ = 8;
    int widestChild_ = 8;
    std::vector<Control*> childOrder_;
    std::vector<BarLineBreak> lineBreaks_;
    RECT floatBounds_{};
    int floatWrapWidth_ = 0;
    int controlLayoutLock_ = 0;
    int redockHideCount_ = 0;
    bool parked_ = false;
    int trueLeft_ = 0;
    bool closeButtonPressed_ = false;
    ToolbarKeys keys_{*this};
    int ownDpi_ = 0;  // floating on a monitor of another scale than the form's; 0: the form's
    UniqueFont ownFont_;
};

}  // namespace morvane
