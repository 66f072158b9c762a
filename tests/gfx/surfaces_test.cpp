#include "gfx/surfaces.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/headless/headless.h"
#include "tests/platform/display_helpers.h"
#include "tests/support/harness.h"

namespace {

constexpr BYTE BEFORE = 250;

std::vector<std::uint32_t> Palette(std::uint32_t seed) {
    std::vector<std::uint32_t> colours(256);
    for (std::uint32_t i = 0; i < 256; ++i) {
        colours[i] = (seed * 0x010203u + i * 0x00030507u) & 0xFFFFFF;
    }
    return colours;
}

// Pixels counting up from 1, skipping nothing: index 38 among them stays 38.
std::vector<BYTE> Counting(int width, int height) {
    std::vector<BYTE> pixels(static_cast<std::size_t>(width * height));
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<BYTE>(1 + i);
    return pixels;
}

class SurfacesTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        DirectDrawCreate(nullptr, &g_dd, nullptr);
        g_primary = platformtest::CreatePrimary(g_dd);
    }

    void TearDown() override {
        for (IDirectDrawSurface* surface : made_) surface->Release();
        g_primary->Release();
        g_dd->Release();
    }

    IDirectDrawSurface* Offscreen(DWORD width, DWORD height) {
        IDirectDrawSurface* surface = nullptr;
        CreateOffscreen(&surface, width, height, KEY_COLOR_INDEX, KEY_COLOR_INDEX);
        made_.push_back(surface);
        std::fill_n(surface->Pixels(), surface->Width() * surface->Height(), BEFORE);
        return surface;
    }

    static std::vector<std::uint32_t> Screen() {
        return {ScreenPalette(), ScreenPalette() + 256};
    }

    static std::vector<BYTE> Row(IDirectDrawSurface* surface, int y) {
        const BYTE* row = surface->Pixels() + y * surface->Width();
        return {row, row + surface->Width()};
    }

    test::ScratchDir scratch_;

private:
    std::vector<IDirectDrawSurface*> made_;
};

TEST_F(SurfacesTest, CreateOffscreenMakesAKeyedSurfaceOfTheGivenSize) {
    IDirectDrawSurface* tall = Offscreen(960, 2000);
    EXPECT_EQ(tall->Width(), 960);
    EXPECT_EQ(tall->Height(), 2000);
    EXPECT_TRUE(tall->HasColorKey());
    EXPECT_EQ(tall->ColorKeyLow(), KEY_COLOR_INDEX);
    EXPECT_EQ(tall->ColorKeyHigh(), KEY_COLOR_INDEX);

    // Either key value zero: no colour key at all.
    IDirectDrawSurface* lowZero = nullptr;
    IDirectDrawSurface* highZero = nullptr;
    CreateOffscreen(&lowZero, 8, 8, 0, 38);
    CreateOffscreen(&highZero, 8, 8, 38, 0);
    EXPECT_FALSE(lowZero->HasColorKey());
    EXPECT_FALSE(highZero->HasColorKey());
    lowZero->Release();
    highZero->Release();
}

TEST_F(SurfacesTest, SmallerBitmapFillsOnlyItsRectangleAndSetsThePalette) {
    IDirectDrawSurface* surface = Offscreen(8, 6);
    test::WriteBmp("bmp/Small.bmp", 3, 2, {1, 38, 3, 4, 5, 6}, Palette(7));
    const std::uint64_t presents = headless::FrameCount();
    LoadBitmapToSurface(surface, "bmp\\Small.bmp");

    EXPECT_EQ(Row(surface, 0),
              (std::vector<BYTE>{1, 38, 3, BEFORE, BEFORE, BEFORE, BEFORE, BEFORE}));
    EXPECT_EQ(Row(surface, 1),
              (std::vector<BYTE>{4, 5, 6, BEFORE, BEFORE, BEFORE, BEFORE, BEFORE}));
    for (int y = 2; y < 6; ++y) EXPECT_EQ(Row(surface, y), std::vector<BYTE>(8, BEFORE));
    EXPECT_EQ(Screen(), Palette(7));
    // The new palette shows at once, on the picture already on screen.
    EXPECT_GT(headless::FrameCount(), presents);
    EXPECT_EQ(std::vector<std::uint32_t>(headless::LastFrame().palette,
                                         headless::LastFrame().palette + 256),
              Palette(7));
}

TEST_F(SurfacesTest, LargerBitmapIsCutAtTheSurfaceEdges) {
    IDirectDrawSurface* surface = Offscreen(4, 2);
    test::WriteBmp("big.bmp", 6, 3, Counting(6, 3), Palette(1));
    LoadBitmapToSurface(surface, "big.bmp");
    EXPECT_EQ(Row(surface, 0), (std::vector<BYTE>{1, 2, 3, 4}));
    EXPECT_EQ(Row(surface, 1), (std::vector<BYTE>{7, 8, 9, 10}));
}

TEST_F(SurfacesTest, UnreadableFileChangesNeitherSurfaceNorPalette) {
    IDirectDrawSurface* surface = Offscreen(4, 4);
    test::WriteBmp("good.bmp", 2, 2, {1, 2, 3, 4}, Palette(3));
    LoadBitmapToSurface(surface, "good.bmp");
    const std::vector<BYTE> pixels(surface->Pixels(), surface->Pixels() + 16);

    test::WriteFile("garbage.bmp", "BM not really a bitmap");
    std::string truncated = test::ReadFile("good.bmp");
    truncated.resize(truncated.size() - 3);
    test::WriteFile("truncated.bmp", truncated);
    for (const char* path : {"missing.bmp", "garbage.bmp", "truncated.bmp"}) {
        LoadBitmapToSurface(surface, path);
        EXPECT_EQ(std::vector<BYTE>(surface->Pixels(), surface->Pixels() + 16), pixels) << path;
        EXPECT_EQ(Screen(), Palette(3)) << path;
    }
}

TEST_F(SurfacesTest, LastLoadDecidesThePaletteWhateverItsDestination) {
    IDirectDrawSurface* first = Offscreen(2, 1);
    IDirectDrawSurface* second = Offscreen(2, 1);
    test::WriteBmp("bmp/Char/My_Char.bmp", 2, 1, {38, 9}, Palette(1));
    test::WriteBmp("bmp/Title/Title.bmp", 2, 1, {5, 6}, Palette(2));
    LoadBitmapToSurface(first, "bmp\\Char\\My_char.bmp");
    LoadBitmapToSurface(second, "bmp\\Title\\Title.bmp");
    EXPECT_EQ(Screen(), Palette(2));
    // The first picture keeps its indices, key included, and is shown through the new palette.
    EXPECT_EQ(Row(first, 0), (std::vector<BYTE>{38, 9}));
    EXPECT_EQ(Row(second, 0), (std::vector<BYTE>{5, 6}));
}

}  // namespace
