#include "ui/image_list.h"

namespace morvane {

ImageList::ImageList(int width, int height)
    : handle_(ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 0, 4)), width_(width), height_(height) {}

ImageList::~ImageList() {
    if (handle_) ImageList_Destroy(handle_);
}

int ImageList::Count() const { return handle_ ? ImageList_GetImageCount(handle_) : 0; }

bool ImageList::SetCount(int count) {
    return handle_ && ImageList_SetImageCount(handle_, static_cast<UINT>(count));
}

int ImageList::AddMasked(HBITMAP image, COLORREF transparent) {
    return handle_ ? ImageList_AddMasked(handle_, image, transparent) : -1;
}

bool ImageList::Replace(int index, HBITMAP image, HBITMAP mask) {
    return handle_ && ImageList_Replace(handle_, index, image, mask);
}

bool ImageList::Remove(int index) { return handle_ && ImageList_Remove(handle_, index); }

void ImageList::Draw(int index, HDC dc, int x, int y, UINT style, COLORREF background) const {
    if (handle_) ImageList_DrawEx(handle_, index, dc, x, y, 0, 0, background, CLR_NONE, style);
}

}  // namespace morvane
