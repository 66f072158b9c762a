#include "gfx/blit.h"

#include "tests/gfx/surface_fixture.h"

namespace {

using gfxtest::UNTOUCHED;

using BlitTest = gfxtest::SurfaceTest;

// Wherever the unclipped copy would put a pixel on the screen, the source pixel is there,
// but for key pixels when the key flag is passed; everything else is untouched.
TEST_F(BlitTest, BltFastClippedCopiesExactlyTheOnScreenPart) {
    struct Case {
        const char* name;
        int x, y;
        RECT source;
        DWORD flags = 0;
    };
    const Case cases[] = {
        {"inside", 100, 200, {64, 128, 128, 192}},
        {"left", -10, 0, {100, 0, 164, 64}},
        {"top", 30, -20, {0, 64, 64, 128}},
        {"right", 600, 10, {0, 0, 64, 64}},
        {"bottom", 10, 450, {0, 0, 64, 64}},
        {"top left", -5, -7, {192, 0, 256, 64}},
        {"bottom right", 600, 450, {64, 64, 128, 128}},
        {"wider than the screen", -10, 0, {0, 0, 640, 64}},
        {"off right", 700, 0, {0, 0, 64, 64}},
        {"off left", -64, 0, {0, 0, 64, 64}},
        {"off bottom", 0, 480, {0, 0, 64, 64}},
        {"off top", 0, -64, {0, 0, 64, 64}},
        {"keyed", -1, 5, {0, 0, 64, 64}, DDBLTFAST_SRCCOLORKEY},
    };
    const auto source = [](int x, int y) {
        return (x + y) % 9 == 0 ? BYTE{KEY_COLOR_INDEX} : Pattern(x, y);
    };
    IDirectDrawSurface* sheet = MakeSurface();
    Paint(sheet, source);
    IDirectDrawSurface* screen = MakeSurface();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Clear(screen);
        BltFastClipped(screen, c.x, c.y, sheet, c.source, c.flags);
        const auto expected = [&](int x, int y) {
            const int sx = c.source.left + x - c.x, sy = c.source.top + y - c.y;
            const bool keyedOut = c.flags != 0 && source(sx, sy) == KEY_COLOR_INDEX;
            return Inside(sx, sy, c.source) && !keyedOut ? source(sx, sy) : UNTOUCHED;
        };
        EXPECT_EQ(Mismatches(screen, expected), 0);
    }
}

}  // namespace
