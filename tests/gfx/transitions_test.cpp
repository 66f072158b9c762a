#include "gfx/transitions.h"

#include <algorithm>

#include "tests/gfx/surface_fixture.h"

namespace {

using gfxtest::UNTOUCHED;

constexpr BYTE BLIND = 5;

class TransitionsTest : public gfxtest::SurfaceTest {
protected:
    void SetUp() override {
        SurfaceTest::SetUp();
        ResetTransitions();
        screen_ = MakeSurface();
    }

    IDirectDrawSurface* screen_ = nullptr;
};

// The vertical blinds show in the whole game's record; the horizontal ones do not.
TEST_F(TransitionsTest, HorizontalBlindsOpenDownwardAndAreGoneFromThe33rdStep) {
    // Each step on a fresh screen, as a scene redraws its picture, frees one more row at the
    // top of every 32-row slat.
    for (int call = 1; call <= 40; ++call) {
        Clear(screen_);
        HorizontalBlinds(screen_, BLIND);
        const int open = std::min(call - 1, 32);
        const auto slats = [open](int, int y) { return y % 32 < open ? UNTOUCHED : BLIND; };
        EXPECT_EQ(Mismatches(screen_, slats), 0) << call;
    }
    EXPECT_EQ(g_wipeStep, 32);
}

// A 64x64 sprite at (64, 128) of a sheet narrower than the screen, so the two surfaces'
// rows lie at different distances.
class ShatterTest : public TransitionsTest {
protected:
    void SetUp() override {
        TransitionsTest::SetUp();
        sheet_ = MakeSurface(256, 256);
        Paint(sheet_, Pattern);
        At(sheet_, 64, 128) = KEY_COLOR_INDEX;
    }

    // The top-left size x size pixels of the sprite at (fromX, fromY) at (left, top), and
    // nothing else.
    int Mismatched(int left, int top, int size, int fromX = 64, int fromY = 128) {
        return Mismatches(screen_, [&](int x, int y) {
            return Inside(x, y, {left, top, left + size, top + size})
                       ? At(sheet_, fromX + x - left, fromY + y - top)
                       : UNTOUCHED;
        });
    }

    IDirectDrawSurface* sheet_ = nullptr;
};

// A sprite cell reaching past the sheet's right and bottom edges: only the blocks on the
// sheet are drawn. One at its left and top edges is drawn whole.
TEST_F(ShatterTest, BlocksOffTheSourceAreLeftOut) {
    ShatterBlit(screen_, 300, 200, sheet_, 224, 224, 64, 64, 0);
    EXPECT_EQ(Mismatched(300, 200, 32, 224, 224), 0);
    Clear(screen_);
    ShatterBlit(screen_, 300, 200, sheet_, 0, 0, 64, 64, 0);
    EXPECT_EQ(Mismatched(300, 200, 64, 0, 0), 0);
}

// Block (0, 0) of a 2x2 sprite, moved by its table entries: only its on-screen pixels are
// written, and a block reaching past the left or top edge is left out whole.
TEST_F(ShatterTest, BlockZeroMovesByTheTruncatedDisplacement) {
    constexpr int NOWHERE = -100;
    struct Case {
        int dx, dy, x, y, spread, left, top;
    };
    const Case cases[] = {
        {-279, -13, 300, 200, 3, 300 - 26, 200 - 1},  // -26.2 and -1.6 truncated toward zero
        {32, 0, 637, 100, 2, 639, 100},  // columns 639 and 640
        {0, 24, 10, 478, 1, 10, 479},    // rows 479 and 480
        {-32, 0, 0, 100, 1, NOWHERE, NOWHERE},
        {0, -24, 100, 0, 1, NOWHERE, NOWHERE},
        {0, 0, -1, 200, 0, NOWHERE, NOWHERE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " spread " << c.spread);
        Clear(screen_);
        g_shatterDX[0][0] = c.dx;
        g_shatterDY[0][0] = c.dy;
        ShatterBlit(screen_, c.x, c.y, sheet_, 64, 128, 2, 2, c.spread);
        EXPECT_EQ(Mismatched(c.left, c.top, 2), 0);
    }
}

}  // namespace
