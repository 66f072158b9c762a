#include "platform/host/frame_checksum.h"

#include <cstring>

std::uint64_t FrameChecksum(const std::uint8_t* pixels, std::size_t pixelCount, const std::uint32_t* palette) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    auto mix = [&hash](const void* data, std::size_t bytes) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i + 8 <= bytes; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, p + i, 8);
            hash = (hash ^ word) * 0x100000001b3u;
        }
    };
    mix(pixels, pixelCount);
    mix(palette, 256 * sizeof(std::uint32_t));
    return hash;
}
