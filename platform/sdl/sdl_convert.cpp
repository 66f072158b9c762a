// The frame's conversion for display: palette indices into XRGB8888 (SDL's RGB888), the
// palette's own 0x00RRGGBB form.
#include "platform/sdl/sdl_convert.h"

#include "platform/seam/backend.h"

namespace sdl_backend {

void ConvertFrame(const std::uint8_t* pixels, const std::uint32_t* palette, void* target,
                  int pitch) {
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
        const std::uint8_t* source = pixels + y * SCREEN_WIDTH;
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(target) + y * pitch);
        for (int x = 0; x < SCREEN_WIDTH; ++x) {
            row[x] = palette[source[x]];
        }
    }
}

}  // namespace sdl_backend
