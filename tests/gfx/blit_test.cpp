#include "gfx/blit.h"

#include "tests/gfx/surface_fixture.h"

namespace {

using gfxtest::UNTOUCHED;

using BlitTest = gfxtest::SurfaceTest;

TEST_F(BlitTest, ColorFillFillsExactlyTheRectangleAndNothingForAnEmptyOne) {
    IDirectDrawSurface* screen = MakeSurface();
    ColorFill(screen, RECT{0, 100, 640, 100}, 7);
    ColorFill(screen, RECT{50, 0, 50, 480}, 7);
    ColorFill(screen, RECT{10, 20, 30, 25}, 7);
    const auto expected = [](int x, int y) {
        return Inside(x, y, {10, 20, 30, 25}) ? BYTE{7} : UNTOUCHED;
    };
    EXPECT_EQ(Mismatches(screen, expected), 0);
}

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

// The disc's brush must resolve to the key index through the screen palette, as the
// game's does: index 38 is the one pure magenta, 0 is black.
TEST_F(BlitTest, DrawCircleKeepsThePictureInsideTheDiscAndBlackensTheRest) {
    PALETTEENTRY entries[256];
    for (int i = 0; i < 256; ++i) entries[i] = PALETTEENTRY{BYTE(i), BYTE(i), BYTE(i), 0};
    entries[KEY_COLOR_INDEX] = PALETTEENTRY{255, 0, 255, 0};
    IDirectDrawPalette* palette = nullptr;
    g_dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr);
    g_primary->SetPalette(palette);
    palette->Release();
    const HBRUSH brush = CreateSolidBrush(RGB(255, 0, 255));
    IDirectDrawSurface* screen = MakeSurface();
    IDirectDrawSurface* work = MakeSurface();
    const auto expectShown = [&](std::initializer_list<std::pair<int, int>> points, bool shown) {
        for (auto [x, y] : points)
            EXPECT_EQ(At(screen, x, y), shown ? Pattern(x, y) : 0) << x << "," << y;
    };

    // The box is (192, 112, 448, 368), right and bottom exclusive, with a black outline.
    Paint(screen, Pattern);
    DrawCircle(screen, work, 320, 240, 128, brush);
    expectShown({{320, 240}, {420, 240}, {320, 140}, {193, 240}, {446, 240}, {320, 366}}, true);
    expectShown({{192, 240}, {447, 240}, {320, 367}, {420, 340}, {0, 0}, {639, 479}}, false);

    Paint(screen, Pattern);
    DrawCircle(screen, work, 0, 479, 100, brush);
    expectShown({{0, 479}, {50, 430}}, true);
    expectShown({{0, 300}, {200, 479}, {639, 0}}, false);

    Paint(screen, Pattern);
    DrawCircle(screen, work, 320, 240, 1000, brush);
    EXPECT_EQ(Mismatches(screen, Pattern), 0);
    DeleteObject(brush);
}

}  // namespace
