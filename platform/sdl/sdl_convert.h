// The frame's conversion for display, kept free of SDL's headers so the benchmarks can
// measure it beside the headless backend: which rows changed since the frame shown, and
// palette indices into XRGB8888 at a whole-multiple scale.
#pragma once

#include <cstdint>

#include "platform/seam/screen.h"

namespace sdl_backend {

// The frame on screen as the game drew it: what the next frame is compared with, and what
// the screenshot key saves.
struct ShownFrame {
    std::uint8_t pixels[SCREEN_WIDTH * SCREEN_HEIGHT];
    std::uint32_t palette[256];
    bool valid;  // false until a frame is taken, and again once the window is closed
};

// The columns of a row that changed since the frame shown: from `left` up to (not
// including) `right`, widened to whole groups of four pixels; empty when the row is the same.
struct ChangedSpan {
    int left;
    int right;
    bool Changed() const { return left < right; }
};

// Takes a new frame into `shown` and gives in `changed` each row's columns that differ
// from the row shown before; every row counts as changed across its width when the palette
// changed or no frame was shown. Returns the number of changed rows.
int TakeFrame(ShownFrame& shown, const std::uint8_t* pixels, const std::uint32_t* palette,
              ChangedSpan changed[SCREEN_HEIGHT]);

// Part of the picture, in its own pixels: columns left to right, rows top to bottom (the
// right and bottom ones not included). Columns are on whole groups of four.
struct PictureArea {
    int left;
    int top;
    int right;
    int bottom;
};

// Converts an area of a frame into XRGB8888 (the palette's own 0x00RRGGBB form), each
// pixel `scale` times across and each row `scale` times down. `target` is where the
// area's top left pixel goes; its rows are `pitch` bytes apart.
void ConvertRows(const std::uint8_t* pixels, const std::uint32_t* palette, PictureArea area, int scale,
                 void* target, int pitch);

}  // namespace sdl_backend
