// A checksum of a presented frame, pixels and palette, with which a whole run's frames are
// recorded and compared (the golden record, and the browser's run of the same keys).
#pragma once

#include <cstdint>

// FNV-1a over 64-bit words: the 640x480 palette indices, then the 256 palette entries.
std::uint64_t FrameChecksum(const std::uint8_t* pixels, const std::uint32_t* palette);
