// The frame's conversion for display: palette indices into opaque ARGB8888.
#include "platform/sdl/sdl_internal.h"

namespace sdl_backend {

void ConvertFrame(const std::uint8_t* pixels, const std::uint32_t* palette, void* target,
                  int pitch) {
    std::uint32_t opaque[256];
    for (int i = 0; i < 256; ++i) {
        opaque[i] = palette[i] | 0xFF000000u;
    }
    for (int y = 0; y < backend::SCREEN_HEIGHT; ++y) {
        const std::uint8_t* source = pixels + y * backend::SCREEN_WIDTH;
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(target) + y * pitch);
        for (int x = 0; x < backend::SCREEN_WIDTH; ++x) {
            row[x] = opaque[source[x]];
        }
    }
}

}  // namespace sdl_backend
