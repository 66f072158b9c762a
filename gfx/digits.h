// The digit glyphs of the character sheet and the two ways every number on screen is
// laid out with them: units first, each further digit one step (dx, dy) beyond the one
// before (-17, 0 or -34, 0 leftward; 0, -34 upward on the ranking picture).
#pragma once

#include <array>
#include <cstdint>

#include "platform/ddraw.h"

constexpr int DIGIT_WIDTH = 18;

// Source rectangles of the glyphs 0 to 9, side by side in one row of the sheet.
extern const std::array<RECT, 10> g_digitRects;

// Draws the digits of the value until it is used up: nothing for 0, no leading zeros.
// A negative value draws nothing.
void DrawNumberUntilZero(std::int64_t value, IDirectDrawSurface* source,
                         IDirectDrawSurface* destination, int x, int y, int dx, int dy,
                         DWORD flags);

// Draws exactly the five lower digits of the value, leading zeros included. A negative
// value is drawn as 00000.
void DrawNumberFiveDigits(std::int64_t value, IDirectDrawSurface* source,
                          IDirectDrawSurface* destination, int x, int y, int dx, int dy,
                          DWORD flags);
