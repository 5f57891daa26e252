#pragma once
// A single-line edit with a flat look: its own 3-pixel border stays flat in the face colour until
// the edit has the focus or the mouse is over it, and then shows a sunken edge.
#include <functional>
#include <string>

#include "ui/control.h"
#include "ui/handles.h"

namespace morvane {

class TFlatEdit : public WinControl {
public:
    TFlatEdit(WinControl* parent, int left, int top, int width, int height = 19);

    std::wstring Text() const { return Caption(); }
    void SetText(const std::wstring& text) { SetCaption(text); }
    bool MouseInside() const { return mouseInside_; }
    // Whether the border shows its sunken edge now.
    bool Lit() const;

    // Height = the font's cell height + 6.
    void AdjustHeightToFont();
    // Once the edit is set up: its height follows its font.
    void Loaded() { AdjustHeightToFont(); }
    // At another DPI too, over the design height the bounds came back with.
    void DpiChanged(int) override { AdjustHeightToFont(); }
    void PaintBorder(HRGN updateRegion = nullptr);

    std::function<void()> OnChange;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Command(WORD code) override;
    HBRUSH ControlColor(HDC dc) override;
    void EnabledChanged() override;
    void SysColorsChanged() override;
    void FontChanged() override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    // Whether the pointer is over the edit, its border included.
    bool PointerOver() const;
    // The border is no client area: the window reports the pointer leaving it separately.
    void TrackBorderLeave();

    bool mouseInside_ = false;
    UniqueBrush background_;
};

}  // namespace morvane
