#include "gfx/digits.h"

#include <vector>

#include "tests/gfx/surface_fixture.h"

namespace {

using gfxtest::UNTOUCHED;

constexpr int GLYPH_HEIGHT = 30;

// A character sheet whose glyph d is filled with index 100 + d.
class DigitsTest : public gfxtest::SurfaceTest {
protected:
    void SetUp() override {
        SurfaceTest::SetUp();
        sheet_ = MakeSurface(256, 300);
        Paint(sheet_, [](int x, int y) {
            const bool glyphRow = y >= 257 && y < 257 + GLYPH_HEIGHT;
            return glyphRow && x < 10 * DIGIT_WIDTH ? static_cast<BYTE>(100 + x / DIGIT_WIDTH)
                                                    : BYTE{0};
        });
        screen_ = MakeSurface();
    }

    IDirectDrawSurface* sheet_ = nullptr;
    IDirectDrawSurface* screen_ = nullptr;
};

// Ordinary figures show in the whole game's record; these are its edges. The digits from
// the units on, drawn from (600, 370) one step (dx, dy) apart, the later one on top where
// they overlap, and nothing else.
TEST_F(DigitsTest, BothFormsFromTheUnitsOn) {
    struct Case {
        std::int64_t value;
        bool fiveDigits;
        int dx, dy;
        std::vector<int> digits;
    };
    const Case cases[] = {
        {0, false, -34, 0, {}},
        {-5, false, -34, 0, {}},
        {105, false, -17, 0, {5, 0, 1}},                              // overlapping by a column
        {4294967295, false, -34, 0, {5, 9, 2, 7, 6, 9, 4, 9, 2, 4}},  // the largest countdown
        {-42, true, 0, -34, {0, 0, 0, 0, 0}},
        {123456, true, -34, 0, {6, 5, 4, 3, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << (c.fiveDigits ? " five" : "") << " " << c.dx);
        Clear(screen_);
        const auto draw = c.fiveDigits ? DrawNumberFiveDigits : DrawNumberUntilZero;
        draw(c.value, sheet_, screen_, 600, 370, c.dx, c.dy,
             DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
        const auto expected = [&](int x, int y) {
            BYTE colour = UNTOUCHED;
            for (int k = 0; k < int(c.digits.size()); ++k) {
                const int left = 600 + c.dx * k, top = 370 + c.dy * k;
                const RECT cell{left, top, left + DIGIT_WIDTH, top + GLYPH_HEIGHT};
                if (Inside(x, y, cell)) colour = static_cast<BYTE>(100 + c.digits[k]);
            }
            return colour;
        };
        EXPECT_EQ(Mismatches(screen_, expected), 0);
    }
}

}  // namespace
