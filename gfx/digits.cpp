#include "gfx/digits.h"

namespace {

constexpr int DIGIT_TOP = 257;
constexpr int DIGIT_BOTTOM = 287;
constexpr int FIXED_DIGIT_COUNT = 5;

constexpr std::array<RECT, 10> BuildDigitRects() {
    std::array<RECT, 10> rects{};
    LONG left = 0;
    for (RECT& rect : rects) {
        rect = RECT{left, DIGIT_TOP, left + DIGIT_WIDTH, DIGIT_BOTTOM};
        left = rect.right;
    }
    return rects;
}

// Copies the k-th glyph counted from the units (k = 0 is the units digit).
void DrawDigit(int digit, int k, IDirectDrawSurface* source, IDirectDrawSurface* destination,
               int x, int y, int dx, int dy, DWORD flags) {
    RECT glyph = g_digitRects[static_cast<std::size_t>(digit)];
    destination->BltFast(static_cast<DWORD>(x + dx * k), static_cast<DWORD>(y + dy * k), source,
                         &glyph, flags);
}

}  // namespace

// Constant-initialised, so the table is ready before any code runs.
constinit const std::array<RECT, 10> g_digitRects = BuildDigitRects();

void DrawNumberUntilZero(std::int64_t value, IDirectDrawSurface* source,
                         IDirectDrawSurface* destination, int x, int y, int dx, int dy,
                         DWORD flags) {
    for (int k = 0; value > 0; ++k) {
        DrawDigit(static_cast<int>(value % 10), k, source, destination, x, y, dx, dy, flags);
        value /= 10;
    }
}

void DrawNumberFiveDigits(std::int64_t value, IDirectDrawSurface* source,
                          IDirectDrawSurface* destination, int x, int y, int dx, int dy,
                          DWORD flags) {
    if (value < 0) value = 0;
    for (int k = 0; k < FIXED_DIGIT_COUNT; ++k) {
        DrawDigit(static_cast<int>(value % 10), k, source, destination, x, y, dx, dy, flags);
        value /= 10;
    }
}
