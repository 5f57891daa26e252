#include "toolbars/button_glyph.h"

#include <algorithm>

#include "ui/dpi.h"
#include "ui/error.h"
#include "ui/gdi.h"

namespace morvane {

std::wstring GlyphResourceForDpi(const std::wstring& name, int dpi) {
    if (dpi >= 2 * kDesignDpi) return name + L"_200";
    if (2 * dpi >= 3 * kDesignDpi) return name + L"_150";
    return name;
}

namespace {

constexpr wchar_t kBadImageSize[] = L"ｲﾒｰｼﾞｻｲｽﾞが正しくありません";
constexpr wchar_t kCannotReplace[] = L"ｲﾒｰｼﾞの置き換えができません";

// Destination = ((destination XOR brush) AND source) XOR destination: where the one-bit source
// is set the brush's colour lands, elsewhere the destination stays.
constexpr DWORD kPaintWhereSet = 0x00E20746;
// Destination = destination AND NOT source: black where the one-bit source is set.
constexpr DWORD kBlackWhereSet = 0x00220326;

// A one-bit mask of the pixels of a colour image area that have exactly the given colour.
UniqueBitmap MaskOfColor(HDC source, int left, int width, int height, COLORREF color) {
    UniqueBitmap mask = CreateMaskBitmap(width, height);
    MemoryDC target(mask.Get());
    const COLORREF oldBack = SetBkColor(source, color);
    BitBlt(target, 0, 0, width, height, source, left, 0, SRCCOPY);
    SetBkColor(source, oldBack);
    return mask;
}

// Paints a colour into the work image wherever the mask is set, the mask placed at (x, y).
void PaintWhereSet(HDC work, int x, int y, int width, int height, HBITMAP mask, COLORREF color) {
    MemoryDC source(mask);
    UniqueBrush brush(CreateSolidBrush(color));
    SelectedObject selected(work, brush.Get());
    const COLORREF oldText = SetTextColor(work, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(work, RGB(255, 255, 255));
    BitBlt(work, x, y, width, height, source, 0, 0, kPaintWhereSet);
    SetTextColor(work, oldText);
    SetBkColor(work, oldBack);
}

COLORREF FontColor() { return GetSysColor(COLOR_WINDOWTEXT); }

}  // namespace

// ---- TGlyphList ----

TGlyphList::TGlyphList(int width, int height) : ImageList(width, height) {}

int TGlyphList::AllocateSlot() {
    const auto free = std::find(used_.begin(), used_.end(), false);
    int slot = static_cast<int>(free - used_.begin());
    if (free == used_.end()) {
        if (!SetCount(Count() + 1)) throw InvalidOperation(kCannotReplace);
        slot = Count() - 1;
        used_.resize(static_cast<size_t>(slot) + 1, false);
    }
    used_[static_cast<size_t>(slot)] = true;
    return slot;
}

int TGlyphList::AddWithMask(HBITMAP image, HBITMAP mask) {
    const int slot = AllocateSlot();
    {
        // The list draws an image over its mask: transparent pixels must be black in the image.
        MemoryDC target(image);
        MemoryDC holes(mask);
        SetTextColor(target, RGB(0, 0, 0));
        SetBkColor(target, RGB(255, 255, 255));
        BitBlt(target, 0, 0, Width(), Height(), holes, 0, 0, kBlackWhereSet);
    }
    Replace(slot, image, mask);
    ++usedCount_;
    return slot;
}

int TGlyphList::AddWithColor(HBITMAP image, std::optional<COLORREF> transparent) {
    const int slot = AllocateSlot();
    try {
        BITMAP info{};
        GetObjectW(image, sizeof info, &info);
        const int imageHeight = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
        if (imageHeight < Height() || info.bmWidth < Width()) throw InvalidOperation(kBadImageSize);
        COLORREF color = 0;
        if (transparent) {
            color = *transparent;
        } else {
            MemoryDC dc(image);
            color = GetPixel(dc, 0, imageHeight - 1);
        }
        // Stored through a temporary entry: the list makes the mask, and the slot gets the
        // entry's image and mask.
        const int entry = AddMasked(image, color);
        if (entry < 0) throw InvalidOperation(kCannotReplace);
        UniqueBitmap colors = CreateColorBitmap(Width(), Height());
        UniqueBitmap mask = CreateMaskBitmap(Width(), Height());
        {
            MemoryDC colorDC(colors.Get());
            MemoryDC maskDC(mask.Get());
            PatBlt(maskDC, 0, 0, Width(), Height(), WHITENESS);
            Draw(entry, colorDC, 0, 0, ILD_NORMAL);
            Draw(entry, maskDC, 0, 0, ILD_MASK);
        }
        const bool replaced = Replace(slot, colors.Get(), mask.Get());
        Remove(entry);
        if (!replaced) throw InvalidOperation(kCannotReplace);
    } catch (...) {
        // A failed build gives its slot back, so the next one can use it.
        used_[static_cast<size_t>(slot)] = false;
        throw;
    }
    ++usedCount_;
    return slot;
}

void TGlyphList::FreeSlot(int slot) {
    if (slot < 0 || slot >= static_cast<int>(used_.size()) || !used_[static_cast<size_t>(slot)]) return;
    used_[static_cast<size_t>(slot)] = false;
    --usedCount_;
}

// ---- TGlyphCache ----

TGlyphCache* TGlyphCache::instance_ = nullptr;

TGlyphCache& TGlyphCache::Require() {
    if (!instance_) instance_ = new TGlyphCache;
    return *instance_;
}

void TGlyphCache::ReleaseIfEmpty() {
    if (instance_ && instance_->Empty()) {
        delete instance_;
        instance_ = nullptr;
    }
}

TGlyphList& TGlyphCache::AcquireList(int width, int height) {
    for (auto it = lists_.rbegin(); it != lists_.rend(); ++it)
        if ((*it)->Width() == width && (*it)->Height() == height) return **it;
    lists_.push_back(std::make_unique<TGlyphList>(width, height));
    return *lists_.back();
}

void TGlyphCache::ReleaseList(TGlyphList* list) {
    if (!list || list->UsedCount() != 0) return;
    std::erase_if(lists_, [list](const auto& held) { return held.get() == list; });
}

// ---- TButtonGlyph ----

TButtonGlyph::TButtonGlyph() {
    bitmap_.OnChange = [this] { GlyphChanged(); };
    TGlyphCache::Require();
}

TButtonGlyph::~TButtonGlyph() {
    bitmap_.OnChange = nullptr;
    ReleaseImages();
    TGlyphCache::ReleaseIfEmpty();
}

void TButtonGlyph::SetGlyph(const Bitmap* glyph) {
    ReleaseImages();
    bitmap_.Assign(glyph);
    if (!glyph || bitmap_.Height() <= 0) return;
    maskColor_ = bitmap_.TransparentColor();
    // A strip of square cells tells its own number of cells; more than 4 is taken as one.
    if (bitmap_.Width() % bitmap_.Height() == 0) {
        int count = bitmap_.Width() / bitmap_.Height();
        if (count > 4) count = 1;
        SetNumGlyphs(count);
    }
}

void TButtonGlyph::GlyphChanged() {
    maskColor_ = bitmap_.TransparentColor();
    ReleaseImages();
    if (OnGlyphChange) OnGlyphChange();
}

void TButtonGlyph::SetNumGlyphs(int count) {
    if (count == numGlyphs_ || count == 0) return;
    ReleaseImages();
    numGlyphs_ = count;
    GlyphChanged();
}

void TButtonGlyph::ReleaseImages() {
    for (int& slot : faceImages_) {
        if (slot == -1) continue;
        if (glyphList_) glyphList_->FreeSlot(slot);
        slot = -1;
    }
    if (TGlyphCache* cache = TGlyphCache::Instance()) cache->ReleaseList(glyphList_);
    glyphList_ = nullptr;
}

SIZE TButtonGlyph::CellSize() const {
    const int width = bitmap_.Width() / numGlyphs_;
    // A strip whose cells would be 0 wide (or that has no height) shows nothing.
    if (width <= 0 || bitmap_.Height() <= 0) return {0, 0};
    return {width, bitmap_.Height()};
}

int TButtonGlyph::FaceImage(TButtonFace face) {
    if (face == bfPressed && numGlyphs_ < 3) face = bfUp;  // the pressed face shares the up image
    int& slot = faceImages_[face];
    if (slot != -1) return slot;
    const SIZE cell = CellSize();
    if (cell.cx == 0) return -1;
    if (!glyphList_) glyphList_ = &TGlyphCache::Require().AcquireList(cell.cx, cell.cy);
    try {
        slot = BuildImage(face, cell.cx, cell.cy);
    } catch (...) {
        // Without a slot the glyph must not hold the list: another glyph may free it meanwhile.
        if (std::all_of(faceImages_.begin(), faceImages_.end(), [](int held) { return held == -1; }))
            ReleaseImages();
        throw;
    }
    return slot;
}

int TButtonGlyph::BuildImage(TButtonFace face, int width, int height) {
    UniqueBitmap work = CreateColorBitmap(width, height);
    {
        MemoryDC dc(work.Get());
        FillRectangle(dc, RECT{0, 0, width, height}, GetSysColor(COLOR_BTNFACE));
    }
    if (face == bfDisabled) return BuildDisabledImage(work.Get(), width, height);
    const int cell = face < numGlyphs_ ? face : 0;
    {
        MemoryDC source(bitmap_.Handle());
        MemoryDC target(work.Get());
        BitBlt(target, 0, 0, width, height, source, cell * width, 0, SRCCOPY);
        // The glyphs' black outlines take the button text colour, so that they stay visible on
        // the dark face of a high-contrast scheme (on the usual scheme it is black anyway).
        const COLORREF text = GetSysColor(COLOR_BTNTEXT);
        if (text != RGB(0, 0, 0) && !bitmap_.Monochrome() &&
            !(bitmap_.FixedTransparentColor() && maskColor_ == RGB(0, 0, 0))) {
            UniqueBitmap blacks = MaskOfColor(source, cell * width, width, height, RGB(0, 0, 0));
            PaintWhereSet(target, 0, 0, width, height, blacks.Get(), text);
        }
    }
    if (bitmap_.FixedTransparentColor()) return glyphList_->AddWithColor(work.Get(), maskColor_);
    return glyphList_->AddWithColor(work.Get(), std::nullopt);
}

int TButtonGlyph::BuildDisabledImage(HBITMAP work, int width, int height) {
    MemoryDC source(bitmap_.Handle());
    if (numGlyphs_ >= 2) {
        // The strip has a drawn disabled image: its white and grey take the system's colours.
        const int left = width;
        UniqueBitmap whites = MaskOfColor(source, left, width, height, RGB(255, 255, 255));
        UniqueBitmap greys = MaskOfColor(source, left, width, height, RGB(128, 128, 128));
        UniqueBitmap holes = MaskOfColor(source, left, width, height, maskColor_);
        {
            MemoryDC target(work);
            BitBlt(target, 0, 0, width, height, source, left, 0, SRCCOPY);
            PaintWhereSet(target, 0, 0, width, height, whites.Get(), GetSysColor(COLOR_BTNHIGHLIGHT));
            PaintWhereSet(target, 0, 0, width, height, greys.Get(), GetSysColor(COLOR_BTNSHADOW));
        }
        return glyphList_->AddWithMask(work, holes.Get());
    }
    // Generated: the glyph's black pixels embossed, a highlight one pixel right and down under
    // a shadow in place; everything else stays face colour and so transparent.
    UniqueBitmap blacks;
    if (bitmap_.Monochrome()) {
        blacks = CreateMaskBitmap(width, height);
        MemoryDC target(blacks.Get());
        BitBlt(target, 0, 0, width, height, source, 0, 0, NOTSRCCOPY);  // black bits are 0
    } else {
        blacks = MaskOfColor(source, 0, width, height, RGB(0, 0, 0));
    }
    {
        MemoryDC target(work);
        PaintWhereSet(target, 1, 1, width, height, blacks.Get(), GetSysColor(COLOR_BTNHIGHLIGHT));
        PaintWhereSet(target, 0, 0, width, height, blacks.Get(), GetSysColor(COLOR_BTNSHADOW));
    }
    return glyphList_->AddWithColor(work, GetSysColor(COLOR_BTNFACE));
}

FaceLayout TButtonGlyph::ComputeLayout(HDC dc, const RECT& client, POINT offset, const FaceContent& content) const {
    const POINT cs{client.right - client.left, client.bottom - client.top};
    POINT gs{0, 0};
    if (content.ShowGlyph) {
        const SIZE cell = CellSize();
        gs = {cell.cx, cell.cy};
    }
    const auto s = [&content](int design) { return ScaleToDpi(design, content.Dpi); };
    const POINT as = content.DropArrow ? POINT{s(9), s(3)} : POINT{0, 0};
    const bool hasGlyph = gs.x != 0 && gs.y != 0;
    TButtonLayout layout = content.Layout;
    bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    if (!horizontal && !hasGlyph) {
        layout = blGlyphLeft;
        horizontal = true;
    }
    int margin = content.Margin == -1 ? -1 : s(content.Margin);
    int spacing = content.Spacing == -1 ? -1 : s(content.Spacing);

    RECT text{0, 0, 0, 0};
    POINT ts{0, 0};
    if (content.ShowText && !content.Caption.empty()) {
        text = {0, 0, cs.x, 0};
        if (horizontal) text.right -= as.x;
        if (content.WordWrap) {
            int m = s(4);
            if (horizontal && hasGlyph) {
                text.right -= gs.x + (spacing == -1 ? s(4) : spacing);
                m = margin != -1 ? margin : spacing != -1 ? spacing : s(4);
            }
            text.right -= 2 * m;
        }
        DrawTextW(dc, content.Caption.c_str(), -1, &text, DT_CALCRECT | (content.WordWrap ? DT_WORDBREAK : 0));
        ts = {text.right - text.left, text.bottom - text.top};
    }

    FaceLayout result;
    POINT& g = result.Glyph;
    POINT& a = result.Arrow;
    POINT tp{0, 0};
    if (horizontal) {
        g.y = (cs.y - gs.y + 1) / 2;
        tp.y = (cs.y - ts.y + 1) / 2;
    } else {
        g.x = (cs.x - gs.x - as.x + 1) / 2;
        tp.x = (cs.x - ts.x + 1) / 2;
        a.x = g.x + gs.x;
    }
    if (ts.x == 0 || ts.y == 0 || gs.x == 0 || gs.y == 0) spacing = 0;

    const int along = horizontal ? cs.x : cs.y;
    if (margin == -1 && spacing == -1) {
        const int total = horizontal ? gs.x + ts.x + as.x : gs.y + ts.y;
        margin = (along - total) / 3;
        spacing = margin;
    } else if (margin == -1) {
        const int total = horizontal ? gs.x + spacing + ts.x + as.x : gs.y + spacing + ts.y;
        margin = (along - total + 1) / 2;
    } else if (spacing == -1) {
        const int rest = horizontal ? cs.x - (margin + gs.x + as.x) : cs.y - (margin + gs.y);
        spacing = (rest - (horizontal ? ts.x : ts.y)) / 2;
    }

    switch (layout) {
    case blGlyphLeft:
        g.x = margin;
        tp.x = g.x + gs.x + spacing;
        a.x = tp.x + ts.x;
        break;
    case blGlyphRight:
        a.x = cs.x - margin - as.x;
        g.x = a.x - gs.x;
        tp.x = g.x - spacing - ts.x;
        break;
    case blGlyphTop:
        g.y = margin;
        tp.y = g.y + gs.y + spacing;
        break;
    case blGlyphBottom:
        g.y = cs.y - margin - gs.y;
        tp.y = g.y - spacing - ts.y;
        break;
    }
    a.y = hasGlyph ? g.y + (gs.y - as.y) / 2 : tp.y + (ts.y - as.y) / 2;

    g.x += client.left + offset.x;
    g.y += client.top + offset.y;
    a.x += client.left + offset.x;
    a.y += client.top + offset.y;
    const int left = client.left + tp.x + offset.x;
    const int top = client.top + tp.y + offset.y;
    result.Caption = {left, top, left + ts.x, top + ts.y};
    return result;
}

void TButtonGlyph::DrawGlyphImage(HDC dc, POINT at, TButtonFace face, bool transparent) {
    if (CellSize().cx == 0) return;
    const int slot = FaceImage(face);
    if (slot < 0 || !glyphList_) return;
    if (transparent || face == bfLatched)
        glyphList_->Draw(slot, dc, at.x, at.y, ILD_TRANSPARENT);
    else
        glyphList_->Draw(slot, dc, at.x, at.y, ILD_NORMAL, GetSysColor(COLOR_BTNFACE));
}

RECT TButtonGlyph::DrawFace(HDC dc, const RECT& client, POINT offset, const FaceContent& content,
                            TButtonFace face, bool transparent) {
    const FaceLayout layout = ComputeLayout(dc, client, offset, content);
    if (content.ShowGlyph) DrawGlyphImage(dc, layout.Glyph, face, transparent);
    if (content.ShowText) {
        // No DT_NOPREFIX: an ampersand underlines the accelerator character.
        RECT text = layout.Caption;
        const UINT format = DT_CENTER | DT_VCENTER | (content.WordWrap ? DT_WORDBREAK : DT_SINGLELINE);
        SetBkMode(dc, TRANSPARENT);
        if (face == bfDisabled) {
            OffsetRect(&text, 1, 1);
            SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
            DrawTextW(dc, content.Caption.c_str(), -1, &text, format);
            OffsetRect(&text, -1, -1);
            SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
        } else {
            SetTextColor(dc, FontColor());
        }
        DrawTextW(dc, content.Caption.c_str(), -1, &text, format);
    }
    if (content.DropArrow) {
        const POINT a = layout.Arrow;
        UniquePen pen(CreatePen(PS_SOLID, 1, FontColor()));
        UniqueBrush brush(CreateSolidBrush(FontColor()));
        SelectedObject selectedPen(dc, pen.Get());
        SelectedObject selectedBrush(dc, brush.Get());
        const auto s = [&content](int design) { return ScaleToDpi(design, content.Dpi); };
        const POINT corners[] = {{a.x + s(4), a.y}, {a.x + s(8), a.y}, {a.x + s(6), a.y + s(2)}};
        Polygon(dc, corners, 3);
    }
    return layout.Caption;
}

}  // namespace morvane
