// A checksum of a presented frame, pixels and palette, with which a whole run's frames are
// recorded and compared (the golden record, and the browser's run of the same keys).
#pragma once

#include <cstddef>
#include <cstdint>

// FNV-1a over 64-bit words: the frame's palette indices, then the 256 palette entries.
std::uint64_t FrameChecksum(const std::uint8_t* pixels, std::size_t pixelCount, const std::uint32_t* palette);
