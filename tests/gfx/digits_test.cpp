#include "gfx/digits.h"

#include <cstdint>

#include "tests/gfx/surface_fixture.h"

namespace {

using gfxtest::UNTOUCHED;

constexpr int GLYPH_HEIGHT = 30;

// A character sheet whose glyph d is filled with palette index 100 + d, so the glyph that
// landed anywhere can be read off the destination.
class DigitsTest : public gfxtest::SurfaceTest {
protected:
    void SetUp() override {
        SurfaceTest::SetUp();
        sheet_ = MakeSurface(256, 300);
        Paint(sheet_, [](int x, int y) {
            const bool glyphRow = y >= 257 && y < 287;
            return glyphRow && x < 10 * DIGIT_WIDTH ? static_cast<BYTE>(100 + x / DIGIT_WIDTH)
                                                   : BYTE{0};
        });
        screen_ = MakeScreen();
    }

    // The digit whose glyph covers the whole 18x30 cell at (x, y), or -1 if the cell is not
    // one glyph.
    int GlyphAt(int x, int y) {
        const BYTE first = At(screen_, x, y);
        for (int j = 0; j < GLYPH_HEIGHT; ++j) {
            for (int i = 0; i < DIGIT_WIDTH; ++i) {
                if (At(screen_, x + i, y + j) != first) return -1;
            }
        }
        return first >= 100 && first < 110 ? first - 100 : -1;
    }

    int CountUntouched() {
        int count = 0;
        for (BYTE pixel : Snapshot(screen_)) count += pixel == UNTOUCHED;
        return count;
    }

    // Pixels covered by n glyphs that do not overlap.
    static int Uncovered(int n) { return SCREEN_WIDTH * SCREEN_HEIGHT - n * DIGIT_WIDTH * GLYPH_HEIGHT; }

    IDirectDrawSurface* sheet_ = nullptr;
    IDirectDrawSurface* screen_ = nullptr;
};

TEST_F(DigitsTest, UntilZeroDrawsNothingForZeroOrLess) {
    DrawNumberUntilZero(0, sheet_, screen_, 480, 100, -34, 0, 0);
    DrawNumberUntilZero(-5, sheet_, screen_, 480, 100, -34, 0, 0);
    EXPECT_EQ(CountUntouched(), SCREEN_WIDTH * SCREEN_HEIGHT);
}

TEST_F(DigitsTest, UntilZeroDrawsOneGlyphForSeven) {
    DrawNumberUntilZero(7, sheet_, screen_, 600, 0, -17, 0, 0);
    EXPECT_EQ(GlyphAt(600, 0), 7);
    EXPECT_EQ(CountUntouched(), Uncovered(1));
}

TEST_F(DigitsTest, UntilZeroDraws105FromTheUnitsLeftward) {
    DrawNumberUntilZero(105, sheet_, screen_, 480, 100, -34, 0,
                        DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    EXPECT_EQ(GlyphAt(480, 100), 5);
    EXPECT_EQ(GlyphAt(446, 100), 0);
    EXPECT_EQ(GlyphAt(412, 100), 1);
    EXPECT_EQ(CountUntouched(), Uncovered(3));
}

// With the step of 17 the glyphs overlap by a column, which the more significant digit,
// drawn later, covers.
TEST_F(DigitsTest, UntilZeroSixDigitsWithOverlappingStep) {
    DrawNumberUntilZero(123456, sheet_, screen_, 600, 0, -17, 0, 0);
    for (int k = 0; k < 6; ++k) {
        const int x = 600 - 17 * k;
        EXPECT_EQ(At(screen_, x + DIGIT_WIDTH - 1, 0), 100 + 6 - k) << k;
        EXPECT_EQ(At(screen_, x, 0), k < 5 ? 100 + 5 - k : 101) << k;
    }
    EXPECT_EQ(At(screen_, 600 - 17 * 5 - 1, 0), UNTOUCHED);
}

// The countdown is an unsigned 32-bit value; its largest value has ten digits.
TEST_F(DigitsTest, UntilZeroTakesTheWholeUnsignedRange) {
    DrawNumberUntilZero(std::uint32_t{4294967295u}, sheet_, screen_, 600, 0, -34, 0, 0);
    const int expected[10] = {5, 9, 2, 7, 6, 9, 4, 9, 2, 4};
    for (int k = 0; k < 10; ++k) EXPECT_EQ(GlyphAt(600 - 34 * k, 0), expected[k]) << k;
    EXPECT_EQ(CountUntouched(), Uncovered(10));
}

TEST_F(DigitsTest, FiveDigitsDraws105WithLeadingZerosUpward) {
    DrawNumberFiveDigits(105, sheet_, screen_, 370, 370, 0, -34, DDBLTFAST_SRCCOLORKEY);
    const int expected[5] = {5, 0, 1, 0, 0};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(GlyphAt(370, 370 - 34 * k), expected[k]) << k;
    EXPECT_EQ(CountUntouched(), Uncovered(5));
}

TEST_F(DigitsTest, FiveDigitsKeepsOnlyTheLowerFiveOfSix) {
    DrawNumberFiveDigits(123456, sheet_, screen_, 370, 370, 0, -34, DDBLTFAST_SRCCOLORKEY);
    const int expected[5] = {6, 5, 4, 3, 2};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(GlyphAt(370, 370 - 34 * k), expected[k]) << k;
    EXPECT_EQ(CountUntouched(), Uncovered(5));
}

TEST_F(DigitsTest, FiveDigitsDrawsZerosForZeroAndForNegativeValues) {
    DrawNumberFiveDigits(-42, sheet_, screen_, 370, 370, 0, -34, DDBLTFAST_SRCCOLORKEY);
    DrawNumberFiveDigits(0, sheet_, screen_, 310, 370, 0, -34, DDBLTFAST_SRCCOLORKEY);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(GlyphAt(370, 370 - 34 * k), 0) << k;
        EXPECT_EQ(GlyphAt(310, 370 - 34 * k), 0) << k;
    }
}

TEST_F(DigitsTest, KeyFlagLeavesTheGlyphBackgroundOut) {
    At(sheet_, 7 * DIGIT_WIDTH, 257) = KEY_COLOR_INDEX;
    DrawNumberUntilZero(7, sheet_, screen_, 100, 100, -34, 0, DDBLTFAST_SRCCOLORKEY);
    DrawNumberUntilZero(7, sheet_, screen_, 300, 100, -34, 0, 0);
    EXPECT_EQ(At(screen_, 100, 100), UNTOUCHED);
    EXPECT_EQ(At(screen_, 101, 100), 107);
    EXPECT_EQ(At(screen_, 300, 100), KEY_COLOR_INDEX);
}

}  // namespace
