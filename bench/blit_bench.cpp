// The drawing primitives every scene is made of, on the real stage pictures.
#include <benchmark/benchmark.h>

#include <vector>

#include "game/stage.h"
#include "gfx/blit.h"
#include "gfx/surfaces.h"
#include "gfx/transitions.h"

namespace {

constexpr RECT SPRITE = {0, 0, 64, 64};
constexpr RECT FULL_SCREEN = {0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};

void BM_BltFastKeyedSprite64(benchmark::State& state) {
    RECT source = SPRITE;
    for (auto _ : state) {
        g_back->BltFast(288, 208, g_offscreen3, &source, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BltFastKeyedSprite64);

void BM_BltFastKeyedFullScreen(benchmark::State& state) {
    RECT source = FULL_SCREEN;
    for (auto _ : state) {
        g_back->BltFast(0, 0, g_offscreen1, &source, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BltFastKeyedFullScreen);

// Two values in turn: a whole fill with the value the surface already holds costs nothing.
void BM_ColorFillFullScreen(benchmark::State& state) {
    DWORD value = 243;
    for (auto _ : state) {
        value ^= 1;
        ColorFill(g_back, FULL_SCREEN, value);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ColorFillFullScreen);

// The play scene's darkness: a disc of radius 128 round the screen's middle.
void BM_DrawCircle(benchmark::State& state) {
    for (auto _ : state) {
        DrawCircle(g_back, g_offscreen4, SCREEN_WIDTH / 2, SCREEN_HEIGHT / 2, 128, g_keyBrush);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawCircle);

// A screen of 32x32 keyed tiles from the sheet, as the play scene draws its floor, with
// the caches emptied first: in play the frame's other work has pushed the sheet out.
void BM_KeyedTilesFromColdCache(benchmark::State& state) {
    std::vector<BYTE> other(8u << 20);
    for (auto _ : state) {
        state.PauseTiming();
        for (std::size_t i = 0; i < other.size(); i += 64) other[i] = static_cast<BYTE>(other[i] + 1);
        benchmark::DoNotOptimize(other.data());
        state.ResumeTiming();
        for (int y = 0; y < SCREEN_HEIGHT; y += 32) {
            for (int x = 0; x < SCREEN_WIDTH; x += 32) {
                // Tiles from all over the sheet, so neighbours share no cache lines.
                const LONG left = (x * 7 + y) % SCREEN_WIDTH / 32 * 32;
                const LONG top = (y * 5 + x) % SCREEN_HEIGHT / 32 * 32;
                RECT tile{left, top, left + 32, top + 32};
                g_back->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), g_offscreen1, &tile,
                                DDBLTFAST_SRCCOLORKEY);
            }
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_KeyedTilesFromColdCache);

// A 64x64 enemy halfway through breaking apart.
void BM_ShatterBlit(benchmark::State& state) {
    for (auto _ : state) {
        ShatterBlit(g_back, 288, 208, g_offscreen3, 0, 0, 64, 64, 16);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ShatterBlit);

}  // namespace
