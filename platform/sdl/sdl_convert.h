// The frame's conversion for display, kept free of SDL's headers so the benchmarks can
// measure it beside the headless backend: palette indices into XRGB8888 at a
// whole-multiple scale.
#pragma once

#include <cstdint>

#include "platform/seam/frame_changes.h"
#include "platform/seam/screen.h"

namespace sdl_backend {

// Which rows and columns changed since the frame shown: platform/seam/frame_changes.h.
using ::ChangedSpan;
using ::ShownFrame;
using ::TakeFrame;

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
