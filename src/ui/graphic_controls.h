#pragma once
// Windowless controls: label, bevel and picture.
#include <string>

#include "ui/control.h"
#include "ui/handles.h"

namespace morvane {

// A line of text that sizes itself to its caption.
class Label : public GraphicControl {
public:
    Label(WinControl* parent, int left, int top, const std::wstring& caption = L"", bool bold = false);

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& caption);
    // Breaks the caption into lines between words to fit the given width, which the label keeps;
    // its height follows the text. 0: one line as wide as the text.
    void SetWrapWidth(int width);
    void Paint(HDC dc) override;
    // Read as text.
    AccessibleDescription Describe() const override;
    void DpiChanged(int oldDpi) override;

private:
    void AdjustSize();
    UINT Format() const;

    std::wstring caption_;
    int wrapWidth_ = 0;
    UniqueFont boldFont_;
};

// A lowered rule along the top or the bottom edge, a vertical one along the left edge, or a frame.
enum class BevelShape { TopLine, BottomLine, LeftLine, Frame };

// A lowered rule or frame.
class Bevel : public GraphicControl {
public:
    Bevel(WinControl* parent, BevelShape shape, int left, int top, int width, int height);
    void Paint(HDC dc) override;

private:
    BevelShape shape_;
};

// A 32-pixel icon (at design size) drawn in the top-left corner; at another DPI the image of its
// resource at that size.
class Picture : public GraphicControl {
public:
    Picture(WinControl* parent, HICON icon, int left, int top, int width, int height);
    void Paint(HDC dc) override;
    void DpiChanged(int oldDpi) override;

private:
    HICON icon_;  // shared, not owned
    UniqueIcon sized_;
};

}  // namespace morvane
