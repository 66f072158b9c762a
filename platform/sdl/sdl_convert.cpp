// The frame's conversion for display: palette indices into XRGB8888 (SDL's RGB888), whole
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

#if defined(__SSE2__)
template <bool STREAM>
void Put(__m128i* at, __m128i colours) {
    if constexpr (STREAM) {
        _mm_stream_si128(at, colours);
    } else {
        _mm_storeu_si128(at, colours);
    }
}

// `count` indices (a multiple of four) into `scale` rows of colours `pitch` bytes apart,
// each pixel `scale` times across (scale 1 or 2), four pixels at a time; every row is
// written from registers.
template <bool STREAM, int SCALE>
void ConvertRowSse2(const std::uint8_t* from, int count, const std::uint32_t* palette, std::uint8_t* out,
                    int pitch) {
    for (int x = 0; x < count; x += 4) {
        std::uint32_t four;  // little-endian: the first pixel in the low byte
        std::memcpy(&four, from + x, sizeof four);
        const __m128i colours = _mm_setr_epi32(
            static_cast<int>(palette[four & 0xff]), static_cast<int>(palette[(four >> 8) & 0xff]),
            static_cast<int>(palette[(four >> 16) & 0xff]), static_cast<int>(palette[four >> 24]));
        for (int copy = 0; copy < SCALE; ++copy) {
            auto* at = reinterpret_cast<__m128i*>(out + static_cast<std::ptrdiff_t>(copy) * pitch) + SCALE * x / 4;
            if constexpr (SCALE == 1) {
                Put<STREAM>(at, colours);
            } else {
                Put<STREAM>(at, _mm_unpacklo_epi32(colours, colours));
                Put<STREAM>(at + 1, _mm_unpackhi_epi32(colours, colours));
            }
        }
    }
}
#endif

// `count` indices into one row of colours, each `scale` times.
void ConvertRow(const std::uint8_t* from, int count, const std::uint32_t* palette, std::uint32_t* to, int scale) {
    for (int x = 0; x < count; ++x) {
        const std::uint32_t colour = palette[from[x]];
        for (int i = 0; i < scale; ++i) *to++ = colour;
    }
}

}  // namespace

void ConvertRows(const std::uint8_t* pixels, const std::uint32_t* palette, PictureArea area, int scale,
                 void* target, int pitch) {
    auto* out = static_cast<std::uint8_t*>(target);
    const int count = area.right - area.left;
    const std::uint8_t* from = pixels + area.top * WIDTH + area.left;
#if defined(__SSE2__)
    // Streaming stores where the rows allow them: the picture goes to the display, not
    // back to us, and through the cache it would push out the surfaces the next frame
    // draws from.
    if (scale <= 2) {
        const bool stream = (reinterpret_cast<std::uintptr_t>(out) | static_cast<unsigned>(pitch)) % 16 == 0;
        const auto convert = stream ? (scale == 1 ? ConvertRowSse2<true, 1> : ConvertRowSse2<true, 2>)
                                    : (scale == 1 ? ConvertRowSse2<false, 1> : ConvertRowSse2<false, 2>);
        for (int y = area.top; y < area.bottom; ++y, from += WIDTH, out += static_cast<std::ptrdiff_t>(scale) * pitch) {
            convert(from, count, palette, out, pitch);
        }
        if (stream) _mm_sfence();  // the streamed rows are whole before anyone reads them
        return;
    }
#endif
    const std::size_t rowBytes = static_cast<std::size_t>(count) * scale * sizeof(std::uint32_t);
    for (int y = area.top; y < area.bottom; ++y, from += WIDTH) {
        auto* row = reinterpret_cast<std::uint32_t*>(out);
        ConvertRow(from, count, palette, row, scale);
        out += pitch;
        for (int copy = 1; copy < scale; ++copy, out += pitch) std::memcpy(out, row, rowBytes);
    }
}

}  // namespace sdl_backend
