// The frame's conversion for display, kept free of SDL's headers so the benchmarks can
// measure it beside the headless backend.
#pragma once

#include <cstdint>

namespace sdl_backend {

// Converts a 640x480 frame of palette indices into XRGB8888 rows pitch bytes apart.
void ConvertFrame(const std::uint8_t* pixels, const std::uint32_t* palette, void* target,
                  int pitch);

}  // namespace sdl_backend
