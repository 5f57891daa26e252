#include "ui/bitmap.h"

namespace morvane {

bool Bitmap::Monochrome() const {
    BITMAP info{};
    return handle_ && GetObjectW(handle_.Get(), sizeof info, &info) && info.bmBitsPixel == 1;
}

void Bitmap::SetHandle(HBITMAP handle) {
    handle_.Reset(handle);
    BITMAP info{};
    if (handle && GetObjectW(handle, sizeof info, &info)) {
        width_ = info.bmWidth;
        height_ = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    } else {
        width_ = height_ = 0;
    }
    Changed();
}

void Bitmap::Assign(const Bitmap* source) {
    if (source == this) return;
    fixedTransparent_ = source ? source->fixedTransparent_ : std::nullopt;
    HBITMAP copy = nullptr;
    if (source && source->handle_)
        copy = static_cast<HBITMAP>(CopyImage(source->handle_.Get(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    SetHandle(copy);
}

void Bitmap::SetSize(int width, int height) {
    SetHandle(width > 0 && height > 0 ? CreateColorBitmap(width, height).Release() : nullptr);
}

bool Bitmap::LoadFromResource(const wchar_t* name) {
    const auto loaded = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!loaded) return false;
    SetHandle(loaded);
    return true;
}

COLORREF Bitmap::TransparentColor() const {
    if (fixedTransparent_) return *fixedTransparent_;
    if (Empty()) return RGB(0, 0, 0);
    if (Monochrome()) return RGB(255, 255, 255);
    return Pixel(0, height_ - 1);
}

void Bitmap::SetTransparentColor(std::optional<COLORREF> color) {
    if (color == fixedTransparent_) return;
    fixedTransparent_ = color;
    Changed();
}

COLORREF Bitmap::Pixel(int x, int y) const {
    if (!handle_) return CLR_INVALID;
    MemoryDC dc(handle_.Get());
    return GetPixel(dc, x, y);
}

void Bitmap::Changed() {
    if (OnChange) OnChange();
}

}  // namespace morvane
