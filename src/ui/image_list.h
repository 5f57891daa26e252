#pragma once
// A masked image list of fixed cell size over the system's image list.
#include <windows.h>
#include <commctrl.h>

namespace morvane {

class ImageList {
public:
    ImageList(int width, int height);
    virtual ~ImageList();
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;

    HIMAGELIST Handle() const { return handle_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const;
    // Grows or shrinks the list; new entries are blank.
    bool SetCount(int count);
    // Appends an image whose pixels of the given colour are transparent; -1 on failure.
    int AddMasked(HBITMAP image, COLORREF transparent);
    bool Replace(int index, HBITMAP image, HBITMAP mask);
    bool Remove(int index);
    // Draws an entry with the ILD_ style given, over a background colour (CLR_NONE: none).
    void Draw(int index, HDC dc, int x, int y, UINT style, COLORREF background = CLR_NONE) const;

private:
    HIMAGELIST handle_;
    int width_;
    int height_;
};

}  // namespace morvane
