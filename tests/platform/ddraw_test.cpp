#include "platform/ddraw.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/gfx/surface_fixture.h"

namespace {

constexpr BYTE BACKGROUND = gfxtest::UNTOUCHED;
constexpr BYTE KEY = 38;

class DDrawTest : public gfxtest::SurfaceTest {
protected:
    // Every pixel different within a row and from row to row; never the key.
    IDirectDrawSurface* Numbered(int width, int height) {
        IDirectDrawSurface* surface = Offscreen(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) At(surface, x, y) = static_cast<BYTE>(100 + 10 * y + x);
        }
        return surface;
    }

    static void SetKey(IDirectDrawSurface* surface, DWORD low, DWORD high) {
        DDCOLORKEY key{low, high};
        surface->SetColorKey(DDCKEY_SRCBLT, &key);
    }
};

TEST_F(DDrawTest, RefusesBadRectanglesWholeAndTakesOneThatJustFits) {
    IDirectDrawSurface* source = Numbered(8, 8);
    IDirectDrawSurface* dest = Offscreen(16, 16);
    const std::vector<BYTE> before = PixelsOf(dest);
    DDBLTFX fx{sizeof(DDBLTFX), 7};
    RECT whole{0, 0, 8, 8};
    // Each table: empty, inverted, then past the left, right, bottom and top edge.
    const RECT badSource[] = {{2, 2, 2, 5}, {5, 2, 2, 5}, {-1, 0, 4, 4},
                              {4, 0, 9, 4}, {0, 5, 4, 9}, {0, -2, 4, 4}};
    const RECT badDest[] = {{3, 3, 3, 9},  {3, 9, 9, 3},  {-1, 0, 8, 8},
                            {9, 0, 17, 8}, {0, 9, 8, 17}, {0, -1, 8, 7}};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        RECT from = badSource[i];
        RECT to = badDest[i];
        EXPECT_NE(dest->BltFast(0, 0, source, &from, 0), DD_OK);
        EXPECT_NE(dest->Blt(&whole, source, &from, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
        EXPECT_NE(dest->Blt(&to, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
        EXPECT_NE(dest->Blt(&to, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    }
    // BltFast's destination is the source's size at (x, y): one pixel too far is refused whole.
    EXPECT_NE(dest->BltFast(9, 0, source, nullptr, 0), DD_OK);
    EXPECT_NE(dest->BltFast(0, 9, source, nullptr, 0), DD_OK);
    EXPECT_NE(dest->BltFast(0xFFFFFFFFu, 0, source, nullptr, 0), DD_OK);
    EXPECT_EQ(PixelsOf(dest), before);

    EXPECT_EQ(dest->BltFast(8, 8, source, nullptr, 0), DD_OK);
    EXPECT_EQ(At(dest, 8, 8), At(source, 0, 0));
    EXPECT_EQ(At(dest, 15, 15), At(source, 7, 7));
}

TEST_F(DDrawTest, ColourKeyRangeIsLeftOutOnlyWhenAsked) {
    // Long rows take the copy loop past any unrolled or vectorised width.
    IDirectDrawSurface* source = Offscreen(640, 3);
    for (int i = 0; i < 640 * 3; ++i) {
        source->Pixels()[i] = static_cast<BYTE>(i % 3 == 0 ? KEY : 40 + i % 200);
    }
    const std::vector<BYTE> all = PixelsOf(source);
    auto without = [&](BYTE low, BYTE high) {
        std::vector<BYTE> kept = all;
        for (BYTE& p : kept) p = p >= low && p <= high ? BACKGROUND : p;
        return kept;
    };
    auto copy = [&](bool fast, DWORD flags) {
        IDirectDrawSurface* dest = Offscreen(640, 3);
        if (fast) dest->BltFast(0, 0, source, nullptr, flags);
        if (!fast) dest->Blt(nullptr, source, nullptr, flags, nullptr);
        return PixelsOf(dest);
    };

    EXPECT_EQ(copy(true, DDBLTFAST_SRCCOLORKEY), all);  // no key set yet
    SetKey(source, KEY, KEY);
    EXPECT_EQ(copy(true, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), without(KEY, KEY));
    EXPECT_EQ(copy(true, DDBLTFAST_NOCOLORKEY), all);
    EXPECT_EQ(copy(false, DDBLT_KEYSRC | DDBLT_WAIT), without(KEY, KEY));
    EXPECT_EQ(copy(false, DDBLT_WAIT), all);
    SetKey(source, 40, 45);
    EXPECT_EQ(copy(true, DDBLTFAST_SRCCOLORKEY), without(40, 45));
}

// A keyed widening shows in the menus' enlarged item; shrinking never does.
TEST_F(DDrawTest, StretchShrinksByTheFixedPointStep) {
    IDirectDrawSurface* source = Numbered(10, 4);
    // 10 columns and 4 rows shrunk to 3 by 2, placed at (1, 1); columns 0, 3, 6 and rows 0, 2.
    IDirectDrawSurface* small = Offscreen(5, 4);
    RECT to{1, 1, 4, 3};
    ASSERT_EQ(small->Blt(&to, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
            EXPECT_EQ(At(small, x, y), inside ? At(source, 3 * (x - 1), 2 * (y - 1)) : BACKGROUND);
        }
    }

}

TEST_F(DDrawTest, OverlappingCopyWithinOneSurfaceReadsTheOldPicture) {
    IDirectDrawSurface* surface = Numbered(6, 6);
    const std::vector<BYTE> before = PixelsOf(surface);
    RECT from{0, 0, 4, 4};
    ASSERT_EQ(surface->BltFast(1, 1, surface, &from, 0), DD_OK);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) EXPECT_EQ(At(surface, x + 1, y + 1), before[y * 6 + x]);
    }
}

// The ordinary flip and palette show in every frame of the whole game; what it never does:
TEST_F(DDrawTest, RefusesToFlipABackBufferOrGiveAPaletteToAnOffscreenOrAnImpossibleSize) {
    IDirectDrawSurface* primary = g_primary;
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    IDirectDrawSurface* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    EXPECT_NE(back->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    PALETTEENTRY entries[256] = {};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(g_dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
    ASSERT_EQ(primary->SetPalette(palette), DD_OK);
    EXPECT_EQ(palette->Release(), 1u);  // the primary's reference remains
    EXPECT_NE(Offscreen(4, 4)->SetPalette(palette), DD_OK);

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = desc.dwHeight = 0x7FFFFFFF;
    IDirectDrawSurface* huge = back;
    EXPECT_NE(g_dd->CreateSurface(&desc, &huge, nullptr), DD_OK);
    EXPECT_EQ(huge, nullptr);
    desc.dwFlags = DDSD_CAPS;  // an offscreen surface without a size
    EXPECT_NE(g_dd->CreateSurface(&desc, &huge, nullptr), DD_OK);
}

}  // namespace
