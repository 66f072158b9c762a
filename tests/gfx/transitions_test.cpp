#include "gfx/transitions.h"

#include "game/random.h"
#include "tests/gfx/surface_fixture.h"

namespace {

using gfxtest::SurfaceTest;
using gfxtest::UNTOUCHED;

constexpr BYTE BLIND = 5;

class BlindsTest : public SurfaceTest {
protected:
    void SetUp() override {
        SurfaceTest::SetUp();
        ResetTransitions();
        screen_ = MakeScreen();
    }

    // Calls the wipe n times, each on a fresh screen, as a scene redraws its picture.
    template <typename Wipe>
    void Run(int n, Wipe wipe) {
        for (int i = 0; i < n; ++i) {
            Paint(screen_, [](int, int) { return UNTOUCHED; });
            wipe();
        }
    }

    IDirectDrawSurface* screen_ = nullptr;
};

TEST_F(BlindsTest, HorizontalFirstStepCoversEverythingThenSlatsOpenDownward) {
    auto wipe = [&] { HorizontalBlinds(screen_, BLIND); };
    Run(1, wipe);
    EXPECT_EQ(Snapshot(screen_), std::vector<BYTE>(SCREEN_WIDTH * SCREEN_HEIGHT, BLIND));
    Run(3, wipe);  // fourth call: three rows of each band are free
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
        const BYTE expected = y % 32 < 3 ? UNTOUCHED : BLIND;
        ASSERT_EQ(At(screen_, 0, y), expected) << y;
        ASSERT_EQ(At(screen_, 639, y), expected) << y;
    }
}

TEST_F(BlindsTest, HorizontalStepThirtyThreeAndLaterCoverNothing) {
    auto wipe = [&] { HorizontalBlinds(screen_, BLIND); };
    Run(32, wipe);
    EXPECT_EQ(At(screen_, 0, 31), BLIND);
    EXPECT_EQ(At(screen_, 0, 30), UNTOUCHED);
    for (int call = 33; call <= 40; ++call) {
        Run(1, wipe);
        ASSERT_EQ(Snapshot(screen_), std::vector<BYTE>(SCREEN_WIDTH * SCREEN_HEIGHT, UNTOUCHED))
            << call;
    }
    EXPECT_EQ(g_wipeStep, 32);
}

TEST_F(BlindsTest, VerticalSlatsOpenRightwardInBlack) {
    auto wipe = [&] { VerticalBlinds(screen_); };
    Run(1, wipe);
    EXPECT_EQ(Snapshot(screen_), std::vector<BYTE>(SCREEN_WIDTH * SCREEN_HEIGHT, 0));
    Run(1, wipe);
    for (int x = 0; x < SCREEN_WIDTH; ++x) {
        const BYTE expected = x % 32 == 0 ? UNTOUCHED : 0;
        ASSERT_EQ(At(screen_, x, 0), expected) << x;
        ASSERT_EQ(At(screen_, x, 479), expected) << x;
    }
    Run(31, wipe);  // the 33rd call
    EXPECT_EQ(Snapshot(screen_), std::vector<BYTE>(SCREEN_WIDTH * SCREEN_HEIGHT, UNTOUCHED));
}

class SlidePanelTest : public SurfaceTest {
protected:
    void SetUp() override {
        SurfaceTest::SetUp();
        ResetTransitions();
        picture_ = MakeScreen();
        Paint(picture_, Pattern);
        screen_ = MakeScreen();
    }

    // Draws call number n (counted from 1 after a reset) on a fresh screen.
    void DrawCall(int n) {
        for (int i = 1; i < n; ++i) SlidePanel(screen_, picture_);
        Paint(screen_, [](int, int) { return UNTOUCHED; });
        SlidePanel(screen_, picture_);
    }

    // Screen row 100: the strip of source columns 20..94 ending right against the picture
    // shown in place from column `edge`.
    void ExpectPanelEdgeAt(int edge) {
        for (int x = 0; x < SCREEN_WIDTH; ++x) {
            BYTE expected = UNTOUCHED;
            if (x >= edge) expected = Pattern(x, 100);
            else if (x >= edge - 75) expected = Pattern(x - (edge - 75) + 20, 100);
            ASSERT_EQ(At(screen_, x, 100), expected) << x;
        }
    }

    IDirectDrawSurface* picture_ = nullptr;
    IDirectDrawSurface* screen_ = nullptr;
};

TEST_F(SlidePanelTest, FirstCallShowsTheRightPartAndTheStripBeforeIt) {
    DrawCall(1);
    ExpectPanelEdgeAt(545);
    EXPECT_EQ(g_slideOffset, 4);
}

TEST_F(SlidePanelTest, CallHundredThirteenDrawsAt448AndEndsAt450) {
    DrawCall(113);
    ExpectPanelEdgeAt(545 - 448);
    EXPECT_EQ(g_slideOffset, 450);
}

TEST_F(SlidePanelTest, KeyPixelsOfThePictureAreLeftOut) {
    At(picture_, 600, 0) = KEY_COLOR_INDEX;
    At(picture_, 30, 0) = KEY_COLOR_INDEX;
    DrawCall(1);
    EXPECT_EQ(At(screen_, 600, 0), UNTOUCHED);
    EXPECT_EQ(At(screen_, 470 + 10, 0), UNTOUCHED);
}

// A 64x64 sprite at (64, 128) of a sheet narrower than the screen, so the two surfaces'
// rows lie at different distances.
class ShatterTest : public SurfaceTest {
protected:
    static constexpr int SPRITE_X = 64;
    static constexpr int SPRITE_Y = 128;

    void SetUp() override {
        SurfaceTest::SetUp();
        sheet_ = MakeSurface(256, 256);
        Paint(sheet_, Pattern);
        At(sheet_, SPRITE_X, SPRITE_Y) = KEY_COLOR_INDEX;
        screen_ = MakeScreen();
    }

    // The sprite's pixel at (i, j) from its top-left.
    BYTE Sprite(int i, int j) { return At(sheet_, SPRITE_X + i, SPRITE_Y + j); }

    // Only block (0, 0) of a 2x2 sprite moves, by its table entries.
    void ShatterOneBlock(int dx, int dy, int x, int y, int spread) {
        g_shatterDX[0][0] = dx;
        g_shatterDY[0][0] = dy;
        ShatterBlit(screen_, x, y, sheet_, SPRITE_X, SPRITE_Y, 2, 2, spread);
    }

    void ExpectBlockAt(int x, int y) {
        for (int j = 0; j < 2; ++j) {
            for (int i = 0; i < 2; ++i) EXPECT_EQ(At(screen_, x + i, y + j), Sprite(i, j));
        }
    }

    int CountUntouched() {
        int count = 0;
        for (BYTE pixel : Snapshot(screen_)) count += pixel == UNTOUCHED;
        return count;
    }

    IDirectDrawSurface* sheet_ = nullptr;
    IDirectDrawSurface* screen_ = nullptr;
};

TEST_F(ShatterTest, SpreadZeroCopiesTheSpriteInPlaceKeyIncluded) {
    for (int row = 0; row < SHATTER_TABLE_SIZE; ++row) {
        for (int column = 0; column < SHATTER_TABLE_SIZE; ++column) {
            g_shatterDX[row][column] = NextRandom() % 640 - 320;
            g_shatterDY[row][column] = NextRandom() % 480 - 240;
        }
    }
    ShatterBlit(screen_, 300, 200, sheet_, SPRITE_X, SPRITE_Y, 64, 64, 0);
    for (int j = 0; j < 64; ++j) {
        for (int i = 0; i < 64; ++i) ASSERT_EQ(At(screen_, 300 + i, 200 + j), Sprite(i, j));
    }
    EXPECT_EQ(At(screen_, 300, 200), KEY_COLOR_INDEX);
    EXPECT_EQ(CountUntouched(), SCREEN_WIDTH * SCREEN_HEIGHT - 64 * 64);
}

// -279 / 32 * 3 = -26.2 and -13 / 24 * 3 = -1.6: truncated toward zero, not rounded down.
TEST_F(ShatterTest, FirstBlockMovesByTheTruncatedDisplacement) {
    ShatterOneBlock(-279, -13, 300, 200, 3);
    ExpectBlockAt(300 - 26, 200 - 1);
    EXPECT_EQ(CountUntouched(), SCREEN_WIDTH * SCREEN_HEIGHT - 4);

    Paint(screen_, [](int, int) { return UNTOUCHED; });
    ShatterOneBlock(-279, -13, 300, 200, 9);
    ExpectBlockAt(300 - 78, 200 - 4);
    EXPECT_EQ(CountUntouched(), SCREEN_WIDTH * SCREEN_HEIGHT - 4);
}

TEST_F(ShatterTest, BlockAcrossTheRightOrBottomEdgeWritesOnlyItsOnScreenPixels) {
    ShatterOneBlock(32, 0, 637, 100, 2);  // lands on columns 639 and 640
    EXPECT_EQ(At(screen_, 639, 100), Sprite(0, 0));
    EXPECT_EQ(At(screen_, 639, 101), Sprite(0, 1));
    EXPECT_EQ(At(screen_, 0, 101), UNTOUCHED);
    EXPECT_EQ(At(screen_, 0, 102), UNTOUCHED);
    EXPECT_EQ(CountUntouched(), SCREEN_WIDTH * SCREEN_HEIGHT - 2);

    Paint(screen_, [](int, int) { return UNTOUCHED; });
    ShatterOneBlock(0, 24, 10, 478, 1);  // lands on rows 479 and 480
    EXPECT_EQ(At(screen_, 10, 479), Sprite(0, 0));
    EXPECT_EQ(At(screen_, 11, 479), Sprite(1, 0));
    EXPECT_EQ(CountUntouched(), SCREEN_WIDTH * SCREEN_HEIGHT - 2);
}

TEST_F(ShatterTest, BlockAcrossTheLeftOrTopEdgeIsLeftOutWhole) {
    ShatterOneBlock(-32, 0, 0, 100, 1);  // columns -1 and 0
    ShatterOneBlock(0, -24, 100, 0, 1);  // rows -1 and 0
    ShatterOneBlock(0, 0, -1, 200, 0);
    EXPECT_EQ(CountUntouched(), SCREEN_WIDTH * SCREEN_HEIGHT);
}

TEST_F(ShatterTest, BothSurfacesAreUnlockedAfterwards) {
    ShatterOneBlock(0, 0, 10, 10, 0);
    for (IDirectDrawSurface* surface : {screen_, sheet_}) {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof(desc);
        EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        surface->Unlock(nullptr);
    }
}

}  // namespace
