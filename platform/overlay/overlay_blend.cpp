// The overlay drawn into 32-bit pixels, for front ends that convert the picture themselves
// (the window surface, the browser's canvas): each rectangle blended over the picture at
// its scale, cut to the picture.
#include <algorithm>

#include "platform/overlay/overlay.h"

namespace overlay {

namespace {

constexpr int PICTURE_WIDTH = 640;
constexpr int PICTURE_HEIGHT = 480;

std::uint32_t Mix(std::uint32_t under, std::uint32_t over, std::uint32_t alpha) {
    std::uint32_t mixed = under & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t a = (under >> shift) & 0xFFu;
        const std::uint32_t b = (over >> shift) & 0xFFu;
        mixed |= ((a * (255 - alpha) + b * alpha + 127) / 255) << shift;
    }
    return mixed;
}

}  // namespace

void Blend(const Picture& picture, std::uint32_t* pixels, int pitchBytes, int originX, int originY, int scale,
           bool swapRedBlue) {
    for (const Rect& rect : picture.rects) {
        const int left = std::max<int>(rect.x, 0);
        const int top = std::max<int>(rect.y, 0);
        const int right = std::min<int>(rect.x + rect.w, PICTURE_WIDTH);
        const int bottom = std::min<int>(rect.y + rect.h, PICTURE_HEIGHT);
        if (left >= right || top >= bottom) continue;
        std::uint32_t color = rect.argb & 0xFFFFFFu;
        if (swapRedBlue) color = (color & 0x00FF00u) | ((color & 0xFFu) << 16) | ((color >> 16) & 0xFFu);
        const std::uint32_t alpha = rect.argb >> 24;
        for (int y = top * scale; y < bottom * scale; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(pixels) +
                                                         static_cast<std::ptrdiff_t>(originY + y) * pitchBytes);
            for (int x = originX + left * scale; x < originX + right * scale; ++x) {
                row[x] = alpha == 255 ? (row[x] & 0xFF000000u) | color : Mix(row[x], color, alpha);
            }
        }
    }
}

}  // namespace overlay
