// The ordinary copies, flips and palettes show in every frame of the whole game; what it
// never does is hand the device a rectangle that does not fit, or a key that is a range.
#include "platform/ddraw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "platform/gdi.h"
#include "tests/gfx/surface_fixture.h"

namespace {

using DDrawTest = gfxtest::SurfaceTest;

TEST_F(DDrawTest, RefusesBadRectanglesWholeAndTakesOneThatJustFits) {
    IDirectDrawSurface* source = MakeSurface(8, 8);
    Paint(source, Pattern);
    IDirectDrawSurface* dest = MakeSurface(16, 16);
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
    // Only the primary has a back buffer, and only one asked for as such is given.
    DDSCAPS caps{DDSCAPS_BACKBUFFER}, other{0};
    IDirectDrawSurface* attached = nullptr;
    EXPECT_EQ(source->GetAttachedSurface(&caps, &attached), DDERR_INVALIDPARAMS);
    EXPECT_EQ(g_primary->GetAttachedSurface(&other, &attached), DDERR_INVALIDPARAMS);
}

// The copy takes sixteen pixels at a time and the rest one by one: rows of 16 pixels all
// key, none key and mixed, a tail, and key ranges that touch either end of the indices.
TEST_F(DDrawTest, AKeyedCopyLeavesOutEveryIndexInTheKeyRangeAndOnlyThose) {
    constexpr int WIDTH = 53;
    IDirectDrawSurface* source = MakeSurface(WIDTH, 4);
    IDirectDrawSurface* dest = MakeSurface(WIDTH + 3, 6);
    Paint(source, [](int x, int y) {
        if (x < 16) return static_cast<BYTE>(y == 0 ? 11 : 255 - y);  // key in some ranges
        if (x < 32) return static_cast<BYTE>(100 + x);                // in none
        return static_cast<BYTE>((x * 37 + y * 11) % 256);            // mixed, and the tail
    });
    const std::pair<DWORD, DWORD> ranges[] = {{10, 12}, {0, 3}, {250, 255}, {200, 300}, {7, 6}};
    for (const auto& range : ranges) {
        // Plain names, not a structured binding: clang 14 cannot capture one in a lambda.
        const DWORD low = range.first, high = range.second;
        SCOPED_TRACE(testing::Message() << low << ".." << high);
        DDCOLORKEY key{low, high};
        ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
        Clear(dest);
        ASSERT_EQ(dest->BltFast(2, 1, source, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
        EXPECT_EQ(Mismatches(dest, [&](int x, int y) {
                      if (x < 2 || x >= WIDTH + 2 || y < 1 || y >= 5) return gfxtest::UNTOUCHED;
                      const BYTE s = At(source, x - 2, y - 1);
                      return s >= low && s <= high ? gfxtest::UNTOUCHED : s;
                  }),
                  0);
    }
}

TEST_F(DDrawTest, ThePrimaryHoldsItsOwnReferenceToThePaletteItShows) {
    PALETTEENTRY entries[256] = {};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(g_dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
    ASSERT_EQ(g_primary->SetPalette(palette), DD_OK);
    EXPECT_EQ(palette->Release(), 1u);
}

void FillWhole(IDirectDrawSurface* surface, BYTE value) {
    DDBLTFX fx{sizeof(DDBLTFX), value};
    ASSERT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
}

// Read through the const view, which leaves what the surface knows of itself alone.
bool AllOf(const IDirectDrawSurface& surface, BYTE value) {
    const BYTE* pixels = surface.Pixels();
    return std::all_of(pixels, pixels + surface.Width() * surface.Height(),
                       [value](BYTE p) { return p == value; });
}

// A second whole fill with the same value redoes only what was written since the first:
// each way of writing, cut by the edges, and more writes than the surface keeps apart.
TEST_F(DDrawTest, AWholeFillLeavesEveryPixelItsValueWhateverWasWrittenBefore) {
    constexpr BYTE VALUE = 9;
    IDirectDrawSurface* source = MakeSurface(16, 16);
    Paint(source, Pattern);
    IDirectDrawSurface* surface = MakeSurface(64, 48);
    const auto fill = [](IDirectDrawSurface* s, RECT r) {
        DDBLTFX fx{sizeof(DDBLTFX), 77};
        s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    };
    const auto draw = [](IDirectDrawSurface* s, const std::function<void(HDC)>& paint) {
        HDC dc = nullptr;
        ASSERT_EQ(s->GetDC(&dc), DD_OK);
        paint(dc);
        s->ReleaseDC(dc);
    };
    const std::pair<const char*, std::function<void(IDirectDrawSurface*)>> writes[] = {
        {"keyed copy", [&](auto s) { s->BltFast(3, 5, source, nullptr, DDBLTFAST_SRCCOLORKEY); }},
        {"ellipse", [&](auto s) { draw(s, [](HDC dc) { Ellipse(dc, 50, -6, 70, 14); }); }},
        {"text", [&](auto s) { draw(s, [](HDC dc) { TextOutA(dc, -3, 40, "Lantern", 7); }); }},
        {"bitblt",
         [&](auto s) {
             fill(s, {0, 0, 8, 8});
             draw(s, [](HDC dc) { BitBlt(dc, 30, 0, 8, 8, dc, 0, 0, SRCCOPY); });
         }},
        {"lock",
         [&](auto s) {
             DDSURFACEDESC desc{};
             ASSERT_EQ(s->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
             static_cast<BYTE*>(desc.lpSurface)[47 * desc.lPitch + 63] = 77;
             s->Unlock(nullptr);
         }},
        {"partial fills",
         [&](auto s) {
             for (LONG i = 0; i < 3 * FillMemo::CAPACITY; ++i) {
                 fill(s, {i * 13 % 63, i * 7 % 47, i * 13 % 63 + 1, i * 7 % 47 + 1});
             }
         }},
    };
    for (const auto& [name, write] : writes) {
        FillWhole(surface, VALUE);
        write(surface);
        FillWhole(surface, VALUE);
        EXPECT_TRUE(AllOf(*surface, VALUE)) << name;
    }
    FillWhole(surface, VALUE + 1);
    EXPECT_TRUE(AllOf(*surface, VALUE + 1)) << "another value";

    // The flip hands the back buffer the front's pixels.
    IDirectDrawSurface* back = nullptr;
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    ASSERT_EQ(g_primary->GetAttachedSurface(&caps, &back), DD_OK);
    FillWhole(back, VALUE);
    FillWhole(g_primary, VALUE + 1);
    ASSERT_EQ(g_primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    FillWhole(back, VALUE);
    EXPECT_TRUE(AllOf(*back, VALUE)) << "flip";
}

}  // namespace
