// A frame of palette indices (rows `width` bytes apart), or of 0x00RRGGBB pixels, written as
// a PNG file.
#pragma once

#include <cstdint>
#include <string>

// False when the file cannot be written (none is then left). With `onlyNew` the file is
// made anew and nothing that stands at the path, not even a link, is followed or
// replaced (errno EEXIST then).
bool WriteFramePng(const std::uint8_t* pixels, int width, int height, const std::uint32_t* palette,
                   const std::string& path, bool onlyNew);

// 0x00RRGGBB pixels, rows `width` apart (a picture with something drawn over it), as an
// RGB PNG file, replacing what stands at the path.
bool WriteXrgbPng(const std::uint32_t* pixels, int width, int height, const std::string& path);
