// A 640x480 frame of palette indices written as a PNG file.
#pragma once

#include <cstdint>
#include <string>

// False when the file cannot be written.
bool WriteFramePng(const std::uint8_t* pixels, const std::uint32_t* palette, const std::string& path);
