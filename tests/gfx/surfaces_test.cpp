// A picture's ordinary load, and the palette it brings, show in the whole game's record.
#include "gfx/surfaces.h"

#include <vector>

#include "tests/gfx/surface_fixture.h"
#include "tests/support/harness.h"

namespace {

using SurfacesTest = gfxtest::SurfaceTest;

TEST_F(SurfacesTest, ALargerBitmapIsCutAtTheEdgesAndAnUnreadableOneChangesNothing) {
    test::ScratchDir scratch;
    std::vector<std::uint32_t> colours(256);
    for (std::uint32_t i = 0; i < 256; ++i) colours[i] = i * 0x00030507u & 0xFFFFFF;
    std::vector<BYTE> counting(18);
    for (std::size_t i = 0; i < counting.size(); ++i) counting[i] = static_cast<BYTE>(1 + i);
    test::WriteBmp("big.bmp", 6, 3, counting, colours);
    IDirectDrawSurface* surface = MakeSurface(4, 2);
    LoadBitmapToSurface(surface, "big.bmp");
    const std::vector<BYTE> cut{1, 2, 3, 4, 7, 8, 9, 10};
    EXPECT_EQ(PixelsOf(surface), cut);

    test::WriteFile("garbage.bmp", "BM not really a bitmap");
    for (const char* path : {"missing.bmp", "garbage.bmp"}) {
        LoadBitmapToSurface(surface, path);
        EXPECT_EQ(PixelsOf(surface), cut) << path;
        EXPECT_EQ(std::vector<std::uint32_t>(ScreenPalette(), ScreenPalette() + 256), colours);
    }
}

}  // namespace
