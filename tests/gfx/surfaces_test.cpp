#include "gfx/surfaces.h"

#include <vector>

#include "tests/gfx/surface_fixture.h"
#include "tests/support/harness.h"

namespace {

using Pixels = std::vector<BYTE>;
using Colours = std::vector<std::uint32_t>;

Colours Palette(std::uint32_t seed) {
    Colours colours(256);
    for (std::uint32_t i = 0; i < 256; ++i)
        colours[i] = (seed * 0x010203u + i * 0x00030507u) & 0xFFFFFF;
    return colours;
}

class SurfacesTest : public gfxtest::SurfaceTest {
protected:
    static Colours Screen() { return {ScreenPalette(), ScreenPalette() + 256}; }

    static Pixels Row(IDirectDrawSurface* surface, int y) {
        const BYTE* row = surface->Pixels() + y * surface->Width();
        return {row, row + surface->Width()};
    }

    test::ScratchDir scratch_;
};

// A picture's ordinary load, and the palette it brings, show in the whole game's record.
TEST_F(SurfacesTest, LargerBitmapIsCutAtTheSurfaceEdges) {
    IDirectDrawSurface* surface = MakeSurface(4, 2);
    Pixels counting(18);
    for (std::size_t i = 0; i < counting.size(); ++i) counting[i] = static_cast<BYTE>(1 + i);
    test::WriteBmp("big.bmp", 6, 3, counting, Palette(1));
    LoadBitmapToSurface(surface, "big.bmp");
    EXPECT_EQ(Row(surface, 0), (Pixels{1, 2, 3, 4}));
    EXPECT_EQ(Row(surface, 1), (Pixels{7, 8, 9, 10}));
    // A zero in either end of the key range means no key.
    EXPECT_TRUE(surface->HasColorKey());
    EXPECT_FALSE(MakeSurface(8, 8, 0, 38)->HasColorKey());
    EXPECT_FALSE(MakeSurface(8, 8, 38, 0)->HasColorKey());
}

TEST_F(SurfacesTest, MissingGarbageOrTruncatedFileChangesNeitherSurfaceNorPalette) {
    IDirectDrawSurface* surface = MakeSurface(4, 4);
    test::WriteBmp("good.bmp", 2, 2, {1, 2, 3, 4}, Palette(3));
    LoadBitmapToSurface(surface, "good.bmp");
    const Pixels pixels(surface->Pixels(), surface->Pixels() + 16);
    test::WriteFile("garbage.bmp", "BM not really a bitmap");
    std::string truncated = test::ReadFile("good.bmp");
    truncated.resize(truncated.size() - 3);
    test::WriteFile("truncated.bmp", truncated);
    for (const char* path : {"missing.bmp", "garbage.bmp", "truncated.bmp"}) {
        LoadBitmapToSurface(surface, path);
        EXPECT_EQ(Pixels(surface->Pixels(), surface->Pixels() + 16), pixels) << path;
        EXPECT_EQ(Screen(), Palette(3)) << path;
    }
}

}  // namespace
