#pragma once
// The flat push button of the toolbars and dialogs: flat until the mouse is over it, then raised;
// sunken while pressed or latched as the Down member of a group. It shows a glyph, a caption and
// the arrow of a drop-down menu, which opens on the press. Whether the mouse is over a button is
// watched by one 125 ms timer shared by all buttons.
#include <functional>
#include <memory>
#include <string>

#include "toolbars/button_glyph.h"
#include "ui/control.h"
#include "ui/menu.h"

namespace morvane {

enum TButtonDisplayMode { dmBoth, dmGlyphOnly, dmTextOnly };

class TFlatButton : public GraphicControl {
public:
    TFlatButton(WinControl* parent, int left, int top, int width = 23, int height = 22);
    ~TFlatButton() override;

    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool allow);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int group);
    TButtonDisplayMode DisplayMode() const { return displayMode_; }
    void SetDisplayMode(TButtonDisplayMode mode);
    bool Down() const { return down_; }
    void SetDown(bool down);
    bool DropdownArrow() const { return dropdownArrow_; }
    void SetDropdownArrow(bool show);
    PopupMenu* DropdownMenu() const { return dropdownMenu_; }
    void SetDropdownMenu(PopupMenu* menu);
    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& caption);
    const Bitmap& Glyph() const { return glyph_.GlyphBitmap(); }
    void SetGlyph(const Bitmap* glyph);
    // The glyph of a bitmap resource drawn at 100, 150 and 200 % (NAME, NAME_150, NAME_200): the
    // largest that the button's DPI holds, taken again when the DPI changes.
    void SetGlyphResource(const std::wstring& name);
    void DpiChanged(int oldDpi) override;
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout layout);
    int Margin() const { return margin_; }
    void SetMargin(int margin);
    int NumGlyphs() const { return glyph_.NumGlyphs(); }
    void SetNumGlyphs(int count);
    int Spacing() const { return spacing_; }
    void SetSpacing(int spacing);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap);

    TButtonFace Face() const { return face_; }
    bool Hot() const { return hot_; }
    // The button the keyboard is on (its toolbar has the focus): drawn raised with a focus
    // rectangle, and announced to screen readers.
    bool KeyFocused() const { return keyFocused_; }
    void SetKeyFocused(bool focused);
    // What screen readers call a button without a caption (an arrow that opens a menu).
    void SetAccessibleName(std::wstring name) { accessibleName_ = std::move(name); }

    std::function<void()> OnDblClick;
    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseExit;

    // The button the hot timer watches, and whether the timer runs (none while no button lives).
    static TFlatButton* HotButton();
    static bool HotTimerRunning();

    // Once the button is set up: builds the image of the face it shows first.
    void Loaded();
    void Click() override;
    void Paint(HDC dc) override;
    void MouseDown(const MouseEvent& event) override;
    void MouseMove(const MouseEvent& event) override;
    void MouseUp(const MouseEvent& event) override;
    void MouseLeave() override;
    bool DialogChar(wchar_t key) override;
    void SysColorsChanged() override;
    AccessibleDescription Describe() const override;
    bool DoDefaultAction() override;

protected:
    void EnabledChanged() override;
    void FontChanged() override;

private:
    std::wstring glyphResource_;
    friend class HotTracking;
    void RequestRepaint(bool erase);
    // Screen readers are told that the face or the availability changed.
    void NotifyState() const;
    void NotifyGroup();
    void GroupPressed(int group, const TFlatButton& sender);
    void EnterHot();
    void LeaveHot();
    void RecheckHot();
    void OpenDropdownMenu(PopupMenu& menu);
    void SweepPressesOnButton();
    bool InsideLocal(const MouseEvent& event) const;
    void PaintFace(HDC dc);

    TButtonGlyph glyph_;
    bool allowAllUp_ = false;
    int groupIndex_ = 0;
    TButtonDisplayMode displayMode_ = dmBoth;
    bool down_ = false;
    bool dropdownArrow_ = true;
    PopupMenu* dropdownMenu_ = nullptr;
    int menuWatch_ = 0;
    std::wstring caption_;
    TButtonLayout layout_ = blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    bool wordWrap_ = false;
    TButtonFace face_ = bfUp;
    bool hot_ = false;
    bool tracking_ = false;
    bool inClick_ = false;
    bool keyFocused_ = false;
    std::wstring accessibleName_;
    // Expires with the button, so that a click handler that destroys it is noticed.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace morvane
