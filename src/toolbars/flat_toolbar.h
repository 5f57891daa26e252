#pragma once
// The toolbar: a self-painted container that lines its controls up in groups, docked in a dock
// or (later) floating in a small window of its own under its FloatHost.
#include <functional>
#include <memory>
#include <vector>

#include "toolbars/bar_layout.h"
#include "toolbars/flat_dock.h"
#include "ui/control.h"

namespace morvane {

// The owner of the floating toolbars of one form: a child window of the form without bounds of
// its own that draws nothing.
class TFloatParent : public WinControl {
public:
    explicit TFloatParent(WinControl& hostForm);
};

class TFlatToolbar : public WinControl {
public:
    // The owner must be a form. The toolbar starts undocked under its FloatHost; setting
    // DockedTo puts it in a dock.
    explicit TFlatToolbar(WinControl& owner);
    ~TFlatToolbar() override;

    bool CanDockLeftRight() const { return canDockLeftRight_; }
    void SetCanDockLeftRight(bool can) { canDockLeftRight_ = can; }
    bool CloseButton() const { return closeButton_; }
    void SetCloseButton(bool show) { closeButton_ = show; }
    TFlatDock* DefaultDock() const { return defaultDock_; }
    void SetDefaultDock(TFlatDock* dock) { defaultDock_ = dock; }

    // The dock the toolbar is in; none means floating.
    TFlatDock* DockedTo() const;
    void SetDockedTo(TFlatDock* dock);
    int DockRow() const { return dockRow_; }
    void SetDockRow(int row);
    int DockPos() const { return dockPos_; }
    void SetDockPos(int pos);

    int TallestChild() const { return tallestChild_; }
    int WidestChild() const { return widestChild_; }
    int MinDockedHeight() const { return tallestChild_ + 4; }
    int MinDockedWidth() const { return widestChild_ + 4; }
    const std::vector<Control*>& ChildOrder() const { return childOrder_; }
    const std::vector<BarLineBreak>& LineBreaks() const { return lineBreaks_; }

    // Where and how wide the toolbar last floated (screen rectangle of the floating window,
    // empty until known; wrap width 0 is one line).
    const RECT& FloatBounds() const { return floatBounds_; }
    void SetFloatBounds(const RECT& bounds) { floatBounds_ = bounds; }
    int FloatWrapWidth() const { return floatWrapWidth_; }
    void SetFloatWrapWidth(int width) { floatWrapWidth_ = width; }
    TFloatParent& FloatHost() { return *floatHost_; }
    WinControl& HostForm() const { return hostForm_; }

    std::function<void()> OnClose;
    std::function<void()> OnRecreating;
    std::function<void()> OnRecreated;
    std::function<void()> OnDockChanging;
    std::function<void()> OnDockChanged;

    // Lays the controls out for a target dock (none: floating, wrapped at wrapWidth) and returns
    // the client size. Measuring (moveControls false) leaves no trace on the toolbar.
    SIZE LayOutControls(bool moveControls, bool resizeSelf, TFlatDock* target, int wrapWidth);
    // The usual layout: for the dock it is in, wrapped at FloatWrapWidth when floating.
    SIZE LayOutControls();
    // Once its controls exist: orders them by their position and lays them out.
    void Loaded();
    void SetParent(WinControl* parent) override;
    void Paint(HDC dc) override;
    // A press on the toolbar or on one of its separators (dragging starts here).
    void MouseDown(const MouseEvent& event) override;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void AlignControls() override;
    void ControlListChanged(Control* child, bool inserting) override;
    void VisibleChanged() override;

private:
    friend class TFlatDock;  // rewrites DockRow and DockPos as it arranges
    bool DragHandle() const;
    void PaintDragHandle(HDC dc, const RECT& client) const;

    WinControl& hostForm_;
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
};

}  // namespace morvane
