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

// The darkness: the destination shows its own picture where the work surface holds the key
// (the disc), and the work surface's pixel everywhere else, as a keyed copy of the whole
// work surface would leave it; the work surface is index 0 outside the disc's box. Discs
// cut by each edge, off the screen, of radius 0 and wider than the screen.
TEST_F(BlitTest, DrawCircleLeavesOnlyTheDiscOfTheDestinationAndBlackensTheRest) {
    struct Case {
        const char* name;
        int cx, cy, r;
        bool seen;
    };
    const Case cases[] = {
        {"middle", 320, 240, 128, true},     {"cut left", 20, 240, 128, true},
        {"cut top", 320, 10, 128, true},     {"cut right", 630, 240, 128, true},
        {"cut bottom", 320, 470, 128, true}, {"corner", 639, 479, 50, true},
        {"off left", -200, 240, 128, false}, {"off bottom", 320, 700, 128, false},
        {"radius 0", 320, 240, 0, false},    {"wider than the screen", 320, 240, 400, true},
    };
    // The outline's black is not index 0, so the disc's rim tells apart a copy from a fill.
    PALETTEENTRY entries[256] = {};
    entries[0] = {40, 40, 40, 0};
    entries[KEY_COLOR_INDEX] = {255, 0, 255, 0};
    IDirectDrawPalette* palette = nullptr;
    g_dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr);
    g_primary->SetPalette(palette);
    palette->Release();
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 255));
    IDirectDrawSurface* screen = MakeSurface();
    IDirectDrawSurface* work = MakeSurface();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Paint(screen, Pattern);
        Paint(work, Pattern);
        DrawCircle(screen, work, c.cx, c.cy, c.r, brush);
        int disc = 0;
        const RECT box{c.cx - c.r, c.cy - c.r, c.cx + c.r, c.cy + c.r};
        for (int y = 0; y < SCREEN_HEIGHT; ++y) {
            for (int x = 0; x < SCREEN_WIDTH; ++x) {
                const BYTE w = At(work, x, y);
                disc += w == KEY_COLOR_INDEX;
                if (!Inside(x, y, box)) {
                    ASSERT_EQ(w, 0) << x << "," << y;
                }
            }
        }
        EXPECT_EQ(disc > 0, c.seen);
        EXPECT_EQ(Mismatches(screen, [&](int x, int y) {
                      const BYTE w = At(work, x, y);
                      return w == KEY_COLOR_INDEX ? Pattern(x, y) : w;
                  }),
                  0);
    }
    DeleteObject(brush);
}

}  // namespace
