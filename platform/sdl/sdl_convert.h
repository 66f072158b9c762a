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

// Takes a new frame into `shown` and marks in `changed` each row that differs from the
// row shown before; every row counts as changed when the palette changed or no frame was
// shown. Returns the number of changed rows.
int TakeFrame(ShownFrame& shown, const std::uint8_t* pixels, const std::uint32_t* palette,
              bool changed[SCREEN_HEIGHT]);

// Converts `count` rows of a frame from row `first` on into XRGB8888 (the palette's own
// 0x00RRGGBB form), each pixel `scale` times across and each row `scale` times down.
// `target` is where row `first`'s left pixel goes; its rows are `pitch` bytes apart.
void ConvertRows(const std::uint8_t* pixels, const std::uint32_t* palette, int first, int count,
                 int scale, void* target, int pitch);

}  // namespace sdl_backend
