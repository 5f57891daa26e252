#pragma once
// A bitmap the program owns: its pixels, its transparent colour and a change notification for
// whoever shows it.
#include <windows.h>

#include <functional>
#include <optional>

#include "ui/gdi.h"

namespace morvane {

class Bitmap {
public:
    Bitmap() = default;
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    HBITMAP Handle() const { return handle_.Get(); }
    bool Monochrome() const;

    // Takes a copy of another bitmap's pixels and transparent colour; none empties it.
    void Assign(const Bitmap* source);
    // Takes ownership of a bitmap handle (none empties it).
    void SetHandle(HBITMAP handle);
    // A new 32-bit bitmap of the given size, all black; 0 by 0 empties it.
    void SetSize(int width, int height);
    // Loads a BITMAP resource of the executable; false when there is none of that name.
    bool LoadFromResource(const wchar_t* name);

    // The colour that shows what lies beneath: the one set explicitly, else the bottom-left
    // pixel's, or white for a monochrome bitmap.
    COLORREF TransparentColor() const;
    bool FixedTransparentColor() const { return fixedTransparent_.has_value(); }
    void SetTransparentColor(std::optional<COLORREF> color);

    COLORREF Pixel(int x, int y) const;
    // Tells the bitmap's user that its pixels changed (after drawing into it).
    void Changed();
    std::function<void()> OnChange;

private:
    UniqueBitmap handle_;
    int width_ = 0;
    int height_ = 0;
    std::optional<COLORREF> fixedTransparent_;
};

}  // namespace morvane
