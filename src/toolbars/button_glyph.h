#pragma once
// The glyph of a toolbar button: the bitmap as given, one image per visual state made on demand
// (a disabled image is generated when the bitmap holds none), image lists shared by all glyphs of
// one cell size, and the layout and drawing of glyph, caption and drop-down arrow on the face.
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/bitmap.h"
#include "ui/image_list.h"

namespace morvane {

// The visual state of a button; also the order of the cells of a glyph strip.
enum TButtonFace { bfUp, bfDisabled, bfPressed, bfLatched };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// The resource of a glyph drawn at 100, 150 and 200 % to show at a DPI: the largest drawing that
// is not larger than the DPI asks (sharp, never blurred by stretching).
std::wstring GlyphResourceForDpi(const std::wstring& name, int dpi);

// The images of all glyphs of one cell size. Slots are reused once freed; the list never shrinks.
class TGlyphList : public ImageList {
public:
    TGlyphList(int width, int height);

    int AllocateSlot();
    // Stores an image whose mask's set pixels are transparent.
    int AddWithMask(HBITMAP image, HBITMAP mask);
    // Stores an image whose pixels of a colour are transparent (none: its bottom-left pixel's).
    int AddWithColor(HBITMAP image, std::optional<COLORREF> transparent);
    void FreeSlot(int slot);
    int UsedCount() const { return usedCount_; }

private:
    std::vector<bool> used_;
    int usedCount_ = 0;
};

// The process-wide lists, at most one per cell size. It exists while some glyph may use it.
class TGlyphCache {
public:
    static TGlyphCache* Instance() { return instance_; }
    static TGlyphCache& Require();
    // Frees the cache when it holds no list.
    static void ReleaseIfEmpty();

    TGlyphList& AcquireList(int width, int height);
    // Destroys the list once none of its slots is used.
    void ReleaseList(TGlyphList* list);
    bool Empty() const { return lists_.empty(); }
    int Count() const { return static_cast<int>(lists_.size()); }

private:
    static TGlyphCache* instance_;
    std::vector<std::unique_ptr<TGlyphList>> lists_;
};

// What is drawn on a face besides the glyph image, and how it is arranged.
struct FaceContent {
    std::wstring Caption;
    TButtonLayout Layout = blGlyphLeft;
    int Margin = -1;   // -1: automatic
    int Spacing = 4;   // -1: automatic
    bool DropArrow = false;
    bool WordWrap = false;
    bool ShowGlyph = true;
    bool ShowText = true;
    // Margin, spacing and the drop-down arrow are design pixels, drawn at this DPI.
    int Dpi = USER_DEFAULT_SCREEN_DPI;
};

struct FaceLayout {
    POINT Glyph{};
    POINT Arrow{};
    RECT Caption{};
};

class TButtonGlyph {
public:
    TButtonGlyph();
    ~TButtonGlyph();
    TButtonGlyph(const TButtonGlyph&) = delete;
    TButtonGlyph& operator=(const TButtonGlyph&) = delete;

    const Bitmap& GlyphBitmap() const { return bitmap_; }
    // Takes a copy of the bitmap (none empties the glyph); a strip of square cells tells its
    // number of cells itself.
    void SetGlyph(const Bitmap* glyph);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int count);
    COLORREF MaskColor() const { return maskColor_; }
    TGlyphList* GlyphList() const { return glyphList_; }

    void ReleaseImages();
    // The slot of the face's image in GlyphList, built on first request; -1 for an empty glyph.
    int FaceImage(TButtonFace face);

    FaceLayout ComputeLayout(HDC dc, const RECT& client, POINT offset, const FaceContent& content) const;
    // Draws glyph, caption and arrow on the face; returns the caption's rectangle.
    RECT DrawFace(HDC dc, const RECT& client, POINT offset, const FaceContent& content, TButtonFace face,
                  bool transparent);

    // After every change of the glyph.
    std::function<void()> OnGlyphChange;

private:
    void GlyphChanged();
    SIZE CellSize() const;
    int BuildImage(TButtonFace face, int width, int height);
    int BuildDisabledImage(HBITMAP work, int width, int height);
    void DrawGlyphImage(HDC dc, POINT at, TButtonFace face, bool transparent);

    Bitmap bitmap_;
    TGlyphList* glyphList_ = nullptr;
    std::array<int, 4> faceImages_{-1, -1, -1, -1};
    COLORREF maskColor_ = RGB(128, 128, 0);
    int numGlyphs_ = 1;
};

}  // namespace morvane
