#include "gfx/blit.h"

#include "tests/gfx/surface_fixture.h"

namespace {

using gfxtest::SurfaceTest;
using gfxtest::UNTOUCHED;

using ColorFillTest = SurfaceTest;

TEST_F(ColorFillTest, FillsExactlyTheRectangle) {
    IDirectDrawSurface* screen = MakeScreen();
    ColorFill(screen, RECT{10, 20, 30, 25}, 7);
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
        for (int x = 0; x < SCREEN_WIDTH; ++x) {
            const bool inside = x >= 10 && x < 30 && y >= 20 && y < 25;
            ASSERT_EQ(At(screen, x, y), inside ? 7 : UNTOUCHED) << x << "," << y;
        }
    }
}

TEST_F(ColorFillTest, EmptyRectangleChangesNothing) {
    IDirectDrawSurface* screen = MakeScreen();
    ColorFill(screen, RECT{0, 100, 640, 100}, 7);
    ColorFill(screen, RECT{50, 0, 50, 480}, 7);
    EXPECT_EQ(Snapshot(screen), std::vector<BYTE>(SCREEN_WIDTH * SCREEN_HEIGHT, UNTOUCHED));
}

struct ClipCase {
    const char* name;
    int x;
    int y;
    RECT source;
};

class BltFastClippedTest : public SurfaceTest, public ::testing::WithParamInterface<ClipCase> {};

// Wherever the unclipped copy would put a pixel on the screen, the source pixel is there;
// everything else is untouched.
TEST_P(BltFastClippedTest, CopiesExactlyTheOnScreenPart) {
    const ClipCase& c = GetParam();
    IDirectDrawSurface* source = MakeScreen();
    Paint(source, Pattern);
    IDirectDrawSurface* screen = MakeScreen();
    BltFastClipped(screen, c.x, c.y, source, c.source, 0);
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
        for (int x = 0; x < SCREEN_WIDTH; ++x) {
            const int sx = c.source.left + x - c.x;
            const int sy = c.source.top + y - c.y;
            const bool covered = sx >= c.source.left && sx < c.source.right &&
                                 sy >= c.source.top && sy < c.source.bottom;
            ASSERT_EQ(At(screen, x, y), covered ? Pattern(sx, sy) : UNTOUCHED) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, BltFastClippedTest,
    ::testing::Values(ClipCase{"Inside", 100, 200, {64, 128, 128, 192}},
                      ClipCase{"Left", -10, 0, {100, 0, 164, 64}},
                      ClipCase{"Top", 30, -20, {0, 64, 64, 128}},
                      ClipCase{"Right", 600, 10, {0, 0, 64, 64}},
                      ClipCase{"Bottom", 10, 450, {0, 0, 64, 64}},
                      ClipCase{"TopLeftCorner", -5, -7, {192, 0, 256, 64}},
                      ClipCase{"BottomRightCorner", 600, 450, {64, 64, 128, 128}},
                      ClipCase{"WiderThanTheScreen", -10, 0, {0, 0, 640, 64}},
                      ClipCase{"OffRight", 700, 0, {0, 0, 64, 64}},
                      ClipCase{"OffLeft", -64, 0, {0, 0, 64, 64}},
                      ClipCase{"OffBottom", 0, 480, {0, 0, 64, 64}},
                      ClipCase{"OffTop", 0, -64, {0, 0, 64, 64}}),
    [](const ::testing::TestParamInfo<ClipCase>& p) { return p.param.name; });

TEST_F(SurfaceTest, BltFastClippedPassesTheKeyFlag) {
    IDirectDrawSurface* source = MakeScreen();
    Paint(source, [](int x, int) { return x % 2 == 0 ? BYTE{KEY_COLOR_INDEX} : BYTE{9}; });
    IDirectDrawSurface* screen = MakeScreen();
    BltFastClipped(screen, -1, 0, source, RECT{0, 0, 64, 64}, DDBLTFAST_SRCCOLORKEY);
    // Source column 1 (colour 9) lands on column 0, column 2 (the key) leaves column 1 alone.
    EXPECT_EQ(At(screen, 0, 0), 9);
    EXPECT_EQ(At(screen, 1, 0), UNTOUCHED);
}

// The disc's colour must resolve to the key index, as the game's brush does through the
// screen palette: index 38 is the one pure magenta, 0 is black.
class DrawCircleTest : public SurfaceTest {
protected:
    void SetUp() override {
        SurfaceTest::SetUp();
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.dwBackBufferCount = 1;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        dd_->CreateSurface(&desc, &primary_, nullptr);
        ASSERT_NE(primary_, nullptr);
        PALETTEENTRY entries[256];
        for (int i = 0; i < 256; ++i) {
            const BYTE grey = static_cast<BYTE>(i);
            entries[i] = PALETTEENTRY{grey, grey, grey, 0};
        }
        entries[KEY_COLOR_INDEX] = PALETTEENTRY{255, 0, 255, 0};
        IDirectDrawPalette* palette = nullptr;
        dd_->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr);
        primary_->SetPalette(palette);
        palette->Release();
        brush_ = CreateSolidBrush(RGB(255, 0, 255));
        screen_ = MakeScreen();
        Paint(screen_, Pattern);
        work_ = MakeScreen();
    }

    void TearDown() override {
        DeleteObject(brush_);
        primary_->Release();
        SurfaceTest::TearDown();
    }

    IDirectDrawSurface* primary_ = nullptr;
    HBRUSH brush_ = nullptr;
    IDirectDrawSurface* screen_ = nullptr;
    IDirectDrawSurface* work_ = nullptr;
};

TEST_F(DrawCircleTest, KeepsThePictureInsideTheDiscAndBlackensTheRest) {
    DrawCircle(screen_, work_, 320, 240, 128, brush_);
    EXPECT_EQ(At(screen_, 320, 240), Pattern(320, 240));
    EXPECT_EQ(At(screen_, 320 + 100, 240), Pattern(320 + 100, 240));
    EXPECT_EQ(At(screen_, 320, 240 - 100), Pattern(320, 240 - 100));
    // The box is (192, 112, 448, 368), right and bottom exclusive, with a black outline.
    EXPECT_EQ(At(screen_, 192, 240), 0);
    EXPECT_EQ(At(screen_, 193, 240), Pattern(193, 240));
    EXPECT_EQ(At(screen_, 447, 240), 0);
    EXPECT_EQ(At(screen_, 446, 240), Pattern(446, 240));
    EXPECT_EQ(At(screen_, 320, 367), 0);
    EXPECT_EQ(At(screen_, 320, 366), Pattern(320, 366));
    EXPECT_EQ(At(screen_, 320 + 100, 240 + 100), 0);
    EXPECT_EQ(At(screen_, 0, 0), 0);
    EXPECT_EQ(At(screen_, 639, 479), 0);
}

TEST_F(DrawCircleTest, DiscReachingPastTheScreenIsCutAtItsEdges) {
    DrawCircle(screen_, work_, 0, 479, 100, brush_);
    EXPECT_EQ(At(screen_, 0, 479), Pattern(0, 479));
    EXPECT_EQ(At(screen_, 50, 430), Pattern(50, 430));
    EXPECT_EQ(At(screen_, 0, 300), 0);
    EXPECT_EQ(At(screen_, 200, 479), 0);
    EXPECT_EQ(At(screen_, 639, 0), 0);
}

TEST_F(DrawCircleTest, DiscCoveringTheScreenLeavesItUnchanged) {
    const std::vector<BYTE> before = Snapshot(screen_);
    DrawCircle(screen_, work_, 320, 240, 1000, brush_);
    EXPECT_EQ(Snapshot(screen_), before);
}

}  // namespace
