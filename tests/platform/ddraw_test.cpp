// The ordinary copies, flips and palettes show in every frame of the whole game; what it
// never does is hand the device a rectangle that does not fit.
#include "platform/ddraw.h"

#include <gtest/gtest.h>

#include <vector>

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
}

TEST_F(DDrawTest, ThePrimaryHoldsItsOwnReferenceToThePaletteItShows) {
    PALETTEENTRY entries[256] = {};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(g_dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
    ASSERT_EQ(g_primary->SetPalette(palette), DD_OK);
    EXPECT_EQ(palette->Release(), 1u);
}

}  // namespace
