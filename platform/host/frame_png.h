// A frame of palette indices (rows `width` bytes apart) written as a PNG file.
#pragma once

#include <cstdint>
#include <string>

// False when the file cannot be written.
bool WriteFramePng(const std::uint8_t* pixels, int width, int height, const std::uint32_t* palette,
                   const std::string& path);
