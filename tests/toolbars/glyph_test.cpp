// Glyph strips, their per-face images in shared image lists, and the face layout.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "toolbars/button_glyph.h"
#include "toolbars/toolbar_test_support.h"
#include "ui/error.h"
#include "ui/font.h"

namespace morvane {
namespace {

constexpr COLORREF kOlive = RGB(128, 128, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

struct Dot {
    int X;
    int Y;
    COLORREF Color;
};

// A glyph bitmap in one colour with a few pixels of others.
void Paint(Bitmap& bitmap, int width, int height, COLORREF fill, std::initializer_list<Dot> dots = {}) {
    bitmap.SetSize(width, height);
    {
        MemoryDC dc(bitmap.Handle());
        FillRectangle(dc, RECT{0, 0, width, height}, fill);
        for (const Dot& dot : dots) SetPixel(dc, dot.X, dot.Y, dot.Color);
    }
    bitmap.Changed();
}

// A face image drawn through its mask over red, so transparent pixels read red.
class FaceImage {
public:
    FaceImage(TButtonGlyph& glyph, TButtonFace face) {
        const int slot = glyph.FaceImage(face);
        EXPECT_GE(slot, 0);
        const TGlyphList* list = glyph.GlyphList();
        bitmap_ = CreateColorBitmap(list->Width(), list->Height());
        MemoryDC dc(bitmap_.Get());
        FillRectangle(dc, RECT{0, 0, list->Width(), list->Height()}, kRed);
        list->Draw(slot, dc, 0, 0, ILD_TRANSPARENT);
    }
    COLORREF Pixel(int x, int y) const {
        MemoryDC dc(bitmap_.Get());
        return GetPixel(dc, x, y);
    }

private:
    UniqueBitmap bitmap_;
};

// Takes every GDI handle the process can still get, for as long as it lives: whatever needs a
// new bitmap or device context meanwhile fails as it would on a system that ran out of them.
class GdiHandlesTaken {
public:
    GdiHandlesTaken() {
        while (handles_.size() < 1000000) {
            const HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
            if (!brush) break;
            handles_.push_back(brush);
        }
    }
    ~GdiHandlesTaken() {
        for (const HBRUSH brush : handles_) DeleteObject(brush);
    }
    GdiHandlesTaken(const GdiHandlesTaken&) = delete;
    GdiHandlesTaken& operator=(const GdiHandlesTaken&) = delete;

private:
    std::vector<HBRUSH> handles_;
};

TEST(Glyphs, StripsTellTheirCellsAndThePressedFaceSharesTheUpImage) {
    TButtonGlyph glyph;
    Bitmap bitmap;
    const auto cellsOf = [&](int width, int height) {
        Paint(bitmap, width, height, kOlive);
        glyph.SetGlyph(&bitmap);
        return glyph.NumGlyphs();
    };
    EXPECT_EQ(cellsOf(44, 11), 4);
    EXPECT_EQ(cellsOf(19, 22), 4);  // not a multiple of its height: the count stays
    EXPECT_EQ(cellsOf(55, 11), 1);  // more than 4 cells count as one
    EXPECT_EQ(cellsOf(19, 22), 1);
    EXPECT_EQ(cellsOf(22, 11), 2);
    EXPECT_EQ(glyph.MaskColor(), kOlive);

    // Two cells: pressed shows the up image; latched is built from cell 0 too.
    Paint(bitmap, 22, 11, kOlive, {{3, 3, kBlue}, {11 + 3, 3, kRed}});
    glyph.SetGlyph(&bitmap);
    EXPECT_EQ(glyph.FaceImage(bfPressed), glyph.FaceImage(bfUp));
    EXPECT_NE(glyph.FaceImage(bfLatched), glyph.FaceImage(bfUp));
    EXPECT_EQ(FaceImage(glyph, bfLatched).Pixel(3, 3), kBlue);

    // Four cells: each face its own cell.
    Paint(bitmap, 44, 11, kOlive, {{2 * 11 + 4, 4, kBlue}});
    glyph.SetGlyph(&bitmap);
    EXPECT_EQ(FaceImage(glyph, bfPressed).Pixel(4, 4), kBlue);
    EXPECT_EQ(FaceImage(glyph, bfUp).Pixel(4, 4), kRed);  // olive is transparent

    // Cells that would be 0 wide make an empty glyph, not an error at every paint.
    Paint(bitmap, 3, 3, kOlive);
    glyph.SetGlyph(&bitmap);
    glyph.SetNumGlyphs(4);
    EXPECT_EQ(glyph.FaceImage(bfUp), -1);
    EXPECT_EQ(glyph.GlyphList(), nullptr);
    glyph.SetGlyph(nullptr);
    EXPECT_EQ(glyph.FaceImage(bfUp), -1);
}

TEST(Glyphs, ListsAreSharedPerCellSizeAndFreedWithTheirLastUser) {
    ASSERT_EQ(TGlyphCache::Instance(), nullptr);
    Bitmap arrow;
    Paint(arrow, 9, 8, kOlive, {{4, 4, RGB(0, 0, 0)}});
    Bitmap command;
    Paint(command, 19, 22, kOlive);
    auto first = std::make_unique<TButtonGlyph>();
    auto second = std::make_unique<TButtonGlyph>();
    auto third = std::make_unique<TButtonGlyph>();
    ASSERT_NE(TGlyphCache::Instance(), nullptr);
    first->SetGlyph(&arrow);
    second->SetGlyph(&arrow);
    third->SetGlyph(&command);
    first->FaceImage(bfUp);
    second->FaceImage(bfUp);
    second->FaceImage(bfDisabled);
    third->FaceImage(bfUp);
    EXPECT_EQ(first->GlyphList(), second->GlyphList());
    EXPECT_NE(first->GlyphList(), third->GlyphList());
    EXPECT_EQ(TGlyphCache::Instance()->Count(), 2);
    EXPECT_EQ(first->GlyphList()->UsedCount(), 3);

    // A changed glyph gives its slots back; the next build reuses them.
    const int listSize = first->GlyphList()->Count();
    second->SetGlyph(&arrow);
    second->FaceImage(bfUp);
    EXPECT_EQ(first->GlyphList()->Count(), listSize);

    second.reset();
    EXPECT_EQ(TGlyphCache::Instance()->Count(), 2);
    first.reset();
    EXPECT_EQ(TGlyphCache::Instance()->Count(), 1);
    third.reset();
    EXPECT_EQ(TGlyphCache::Instance(), nullptr);
}

TEST(Glyphs, DisabledImagesAreEmbossedFromBlackOrTakenFromTheStrip) {
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    TButtonGlyph glyph;
    Bitmap bitmap;
    Paint(bitmap, 6, 7, kOlive, {{2, 2, RGB(0, 0, 0)}, {4, 1, kBlue}});
    glyph.SetGlyph(&bitmap);
    const FaceImage embossed(glyph, bfDisabled);
    EXPECT_EQ(embossed.Pixel(2, 2), shadow);
    EXPECT_EQ(embossed.Pixel(3, 3), highlight);
    EXPECT_EQ(embossed.Pixel(4, 1), kRed);  // only black pixels leave a trace
    EXPECT_EQ(embossed.Pixel(0, 0), kRed);

    Paint(bitmap, 6, 7, kOlive, {{4, 1, kBlue}});
    glyph.SetGlyph(&bitmap);
    const FaceImage nothing(glyph, bfDisabled);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(nothing.Pixel(x, y), kRed) << x << "," << y;

    // A strip's own disabled cell: white and grey take the system's colours.
    Paint(bitmap, 12, 6, kOlive,
          {{6 + 1, 1, RGB(255, 255, 255)}, {6 + 2, 2, RGB(128, 128, 128)}, {6 + 3, 3, kBlue}, {2, 2, RGB(0, 0, 0)}});
    glyph.SetGlyph(&bitmap);
    ASSERT_EQ(glyph.NumGlyphs(), 2);
    const FaceImage drawn(glyph, bfDisabled);
    EXPECT_EQ(drawn.Pixel(1, 1), highlight);
    EXPECT_EQ(drawn.Pixel(2, 2), shadow);
    EXPECT_EQ(drawn.Pixel(3, 3), kBlue);
    EXPECT_EQ(drawn.Pixel(0, 0), kRed);
    EXPECT_EQ(drawn.Pixel(5, 5), kRed);
}

TEST(Glyphs, AFailedImageBuildGivesItsSlotBack) {
    TGlyphList list(9, 8);
    UniqueBitmap tooSmall = CreateColorBitmap(5, 5);
    try {
        list.AddWithColor(tooSmall.Get(), kOlive);
        ADD_FAILURE() << "an image smaller than the cell was stored";
    } catch (const InvalidOperation& error) {
        EXPECT_EQ(error.Message(), L"ｲﾒｰｼﾞｻｲｽﾞが正しくありません");
    }
    EXPECT_EQ(list.UsedCount(), 0);
    EXPECT_EQ(list.AllocateSlot(), 0);
    EXPECT_EQ(list.Count(), 1);

    // A glyph whose build failed holds no slot, and so no list: the list goes with its last
    // user, and the glyph's next build takes a live one.
    Bitmap arrow;
    Paint(arrow, 9, 8, kOlive, {{4, 4, RGB(0, 0, 0)}});
    auto holder = std::make_unique<TButtonGlyph>();
    holder->SetGlyph(&arrow);
    ASSERT_GE(holder->FaceImage(bfUp), 0);
    TButtonGlyph failing;
    failing.SetGlyph(&arrow);
    {
        const GdiHandlesTaken exhausted;
        EXPECT_THROW(failing.FaceImage(bfUp), InvalidOperation);
    }
    ASSERT_EQ(failing.GlyphList(), nullptr);
    EXPECT_EQ(holder->GlyphList()->UsedCount(), 1);
    holder.reset();
    EXPECT_EQ(TGlyphCache::Instance(), nullptr);
    EXPECT_GE(failing.FaceImage(bfUp), 0);
    ASSERT_NE(failing.GlyphList(), nullptr);
    EXPECT_EQ(failing.GlyphList()->UsedCount(), 1);
    EXPECT_EQ(TGlyphCache::Instance()->Count(), 1);
}

TEST(Glyphs, LayoutPlacesGlyphCaptionAndArrowOnTheFace) {
    UniqueFont font = CreateProgramFont();
    WindowDC screen(nullptr);
    SelectedObject selected(screen, font.Get());
    const auto textSize = [&](const wchar_t* text) {
        RECT r{0, 0, 0, 0};
        DrawTextW(screen, text, -1, &r, DT_CALCRECT);
        return SIZE{r.right, r.bottom};
    };
    TButtonGlyph glyph;
    Bitmap bitmap;
    Paint(bitmap, 19, 22, kOlive);
    glyph.SetGlyph(&bitmap);

    // A 61 x 43 command button: glyph above the caption, both centred across.
    FaceContent content;
    content.Caption = L"一括変換";
    content.Layout = blGlyphTop;
    const SIZE caption = textSize(L"一括変換");
    const RECT client{1, 1, 60, 42};
    const FaceLayout top = glyph.ComputeLayout(screen, client, {0, 0}, content);
    const int margin = (41 - (22 + 4 + caption.cy) + 1) / 2;
    EXPECT_EQ(top.Glyph.x, 1 + 20);
    EXPECT_EQ(top.Glyph.y, 1 + margin);
    EXPECT_EQ(top.Caption.left, 1 + (59 - caption.cx + 1) / 2);
    EXPECT_EQ(top.Caption.top, 1 + margin + 22 + 4);
    // Pressed, everything moves one pixel right and down.
    EXPECT_EQ(glyph.ComputeLayout(screen, client, {1, 1}, content).Glyph.y, 2 + margin);

    // Without a glyph the caption is laid out as with the glyph left: centred.
    content.ShowGlyph = false;
    const FaceLayout textOnly = glyph.ComputeLayout(screen, client, {0, 0}, content);
    EXPECT_EQ(textOnly.Caption.left, 1 + (59 - caption.cx + 1) / 2);
    EXPECT_EQ(textOnly.Caption.top, 1 + (41 - caption.cy + 1) / 2);

    // Automatic margin and spacing share the free space in three.
    content.ShowGlyph = true;
    content.Layout = blGlyphLeft;
    content.Margin = -1;
    content.Spacing = -1;
    content.DropArrow = true;
    const RECT wide{0, 0, 120, 30};
    const FaceLayout left = glyph.ComputeLayout(screen, wide, {0, 0}, content);
    const int third = (120 - (19 + caption.cx + 9)) / 3;
    EXPECT_EQ(left.Glyph.x, third);
    EXPECT_EQ(left.Caption.left, third + 19 + third);
    EXPECT_EQ(left.Arrow.x, left.Caption.right);
    EXPECT_EQ(left.Arrow.y, left.Glyph.y + (22 - 3) / 2);

    // Word wrap leaves room for the glyph, the spacing and two margins.
    content.WordWrap = true;
    content.DropArrow = false;
    content.Caption = L"拡張子 変更 一括 変換 表示";
    const FaceLayout wrapped = glyph.ComputeLayout(screen, RECT{0, 0, 80, 60}, {0, 0}, content);
    EXPECT_LE(wrapped.Caption.right - wrapped.Caption.left, 80 - (19 + 4) - 2 * 4);
    EXPECT_GT(wrapped.Caption.bottom - wrapped.Caption.top, caption.cy);
}

}  // namespace
}  // namespace morvane
