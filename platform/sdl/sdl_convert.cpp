// The frame's conversion for display: rows compared with the frame shown, so a frame
// converts only what changed, and palette indices into XRGB8888 (SDL's RGB888), whole
// multiples across and down. SSE2, the x86-64 baseline, writes four or eight pixels at a
// time; other processors take the plain loop.
#include "platform/sdl/sdl_convert.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sdl_backend {

namespace {

constexpr int WIDTH = SCREEN_WIDTH;

// One row of indices into one row of colours, each `scale` times.
void ConvertRow(const std::uint8_t* from, const std::uint32_t* palette, std::uint32_t* to,
                int scale) {
#if defined(__SSE2__)
    // Streaming stores where the row allows them: the picture goes to the display, not
    // back to us, and through the cache it would push out the surfaces the next frame
    // draws from.
    if (scale <= 2 && reinterpret_cast<std::uintptr_t>(to) % 16 == 0) {
        for (int x = 0; x < WIDTH; x += 4) {
            std::uint32_t four;
            std::memcpy(&four, from + x, sizeof four);
            const __m128i colours = _mm_setr_epi32(
                static_cast<int>(palette[four & 0xff]), static_cast<int>(palette[(four >> 8) & 0xff]),
                static_cast<int>(palette[(four >> 16) & 0xff]), static_cast<int>(palette[four >> 24]));
            auto* out = reinterpret_cast<__m128i*>(to + scale * x);
            if (scale == 1) {
                _mm_stream_si128(out, colours);
            } else {
                _mm_stream_si128(out, _mm_unpacklo_epi32(colours, colours));
                _mm_stream_si128(out + 1, _mm_unpackhi_epi32(colours, colours));
            }
        }
        return;
    }
    if (scale <= 2) {
        for (int x = 0; x < WIDTH; x += 4) {
            std::uint32_t four;  // little-endian: the first pixel in the low byte
            std::memcpy(&four, from + x, sizeof four);
            const __m128i colours = _mm_setr_epi32(
                static_cast<int>(palette[four & 0xff]), static_cast<int>(palette[(four >> 8) & 0xff]),
                static_cast<int>(palette[(four >> 16) & 0xff]), static_cast<int>(palette[four >> 24]));
            if (scale == 1) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x), colours);
            } else {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 2 * x), _mm_unpacklo_epi32(colours, colours));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 2 * x + 4), _mm_unpackhi_epi32(colours, colours));
            }
        }
        return;
    }
#endif
    for (int x = 0; x < WIDTH; ++x) {
        const std::uint32_t colour = palette[from[x]];
        for (int i = 0; i < scale; ++i) *to++ = colour;
    }
}

}  // namespace

int TakeFrame(ShownFrame& shown, const std::uint8_t* pixels, const std::uint32_t* palette,
              bool changed[SCREEN_HEIGHT]) {
    const bool all = !shown.valid || std::memcmp(shown.palette, palette, sizeof shown.palette) != 0;
    std::memcpy(shown.palette, palette, sizeof shown.palette);
    shown.valid = true;
    int count = 0;
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
        const std::uint8_t* row = pixels + y * WIDTH;
        std::uint8_t* kept = shown.pixels + y * WIDTH;
        changed[y] = all || std::memcmp(kept, row, WIDTH) != 0;
        if (changed[y]) {
            std::memcpy(kept, row, WIDTH);
            ++count;
        }
    }
    return count;
}

void ConvertRows(const std::uint8_t* pixels, const std::uint32_t* palette, int first, int count,
                 int scale, void* target, int pitch) {
    auto* out = static_cast<std::uint8_t*>(target);
    const std::size_t rowBytes = static_cast<std::size_t>(WIDTH) * scale * sizeof(std::uint32_t);
    for (int y = first; y < first + count; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(out);
        ConvertRow(pixels + y * WIDTH, palette, row, scale);
        out += pitch;
        for (int copy = 1; copy < scale; ++copy, out += pitch) std::memcpy(out, row, rowBytes);
    }
#if defined(__SSE2__)
    _mm_sfence();  // the streamed rows are whole before anyone reads them
#endif
}

}  // namespace sdl_backend
