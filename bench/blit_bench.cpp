// The drawing primitives every scene is made of, on the real stage pictures.
#include <benchmark/benchmark.h>

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

void BM_ColorFillFullScreen(benchmark::State& state) {
    for (auto _ : state) {
        ColorFill(g_back, FULL_SCREEN, 243);
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

// A 64x64 enemy halfway through breaking apart.
void BM_ShatterBlit(benchmark::State& state) {
    for (auto _ : state) {
        ShatterBlit(g_back, 288, 208, g_offscreen3, 0, 0, 64, 64, 16);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ShatterBlit);

}  // namespace
