// One whole play frame on the real stage, the conversion of a frame for display (whole, at
// the 1920x1080 screen's double size, and only its changed rows, as the game presents),
// and a frame drawn and converted: what the game spends on each of its 50 frames a second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "game/game_frame.h"
#include "gfx/surfaces.h"
#include "platform/headless/headless.h"
#include "platform/sdl/sdl_convert.h"

namespace {

constexpr int PITCH = SCREEN_WIDTH * 4;

sdl_backend::ShownFrame g_shown{};
sdl_backend::ChangedSpan g_changed[SCREEN_HEIGHT];

// Lets the frame gate open, as 20 ms of play would.
void RunPlayFrame() {
    headless::Advance(20);
    GameFrame();
}

void ConvertShownFrame(std::vector<std::uint32_t>& target, int scale) {
    sdl_backend::ConvertRows(g_primary->Pixels(), headless::LastFrame().palette,
                             {0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, scale, target.data(), PITCH * scale);
}

// What a present converts: the columns of each row that differ from the frame before.
void ConvertChangedRows(std::vector<std::uint32_t>& target) {
    sdl_backend::TakeFrame(g_shown, g_primary->Pixels(), headless::LastFrame().palette, g_changed);
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
        const sdl_backend::ChangedSpan span = g_changed[y];
        if (span.Changed()) {
            sdl_backend::ConvertRows(g_shown.pixels, g_shown.palette, {span.left, y, span.right, y + 1}, 1,
                                     target.data() + y * SCREEN_WIDTH + span.left, PITCH);
        }
    }
}

void BM_GameFrame(benchmark::State& state) {
    for (auto _ : state) {
        RunPlayFrame();
    }
}
BENCHMARK(BM_GameFrame);

void BM_ConvertFrame(benchmark::State& state) {
    const int scale = static_cast<int>(state.range(0));
    std::vector<std::uint32_t> target(SCREEN_WIDTH * SCREEN_HEIGHT * scale * scale);
    RunPlayFrame();
    for (auto _ : state) {
        ConvertShownFrame(target, scale);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ConvertFrame)->Arg(1)->Arg(2);

void BM_PlayFrameRenderedAndConverted(benchmark::State& state) {
    std::vector<std::uint32_t> target(SCREEN_WIDTH * SCREEN_HEIGHT);
    for (auto _ : state) {
        RunPlayFrame();
        ConvertChangedRows(target);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PlayFrameRenderedAndConverted);

}  // namespace
