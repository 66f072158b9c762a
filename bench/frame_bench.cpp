// One whole play frame on the real stage, the conversion of a frame for display, and the
// two together: what the game spends on each of its 50 frames a second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "game/game_frame.h"
#include "gfx/surfaces.h"
#include "platform/headless/headless.h"
#include "platform/sdl/sdl_convert.h"

namespace {

constexpr int PITCH = SCREEN_WIDTH * 4;

// Lets the frame gate open, as 20 ms of play would.
void RunPlayFrame() {
    headless::Advance(20);
    GameFrame();
}

void ConvertShownFrame(std::vector<std::uint32_t>& target) {
    sdl_backend::ConvertFrame(g_primary->Pixels(), headless::LastFrame().palette, target.data(),
                              PITCH);
}

void BM_GameFrame(benchmark::State& state) {
    for (auto _ : state) {
        RunPlayFrame();
    }
}
BENCHMARK(BM_GameFrame);

void BM_ConvertFrame(benchmark::State& state) {
    std::vector<std::uint32_t> target(SCREEN_WIDTH * SCREEN_HEIGHT);
    RunPlayFrame();
    for (auto _ : state) {
        ConvertShownFrame(target);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ConvertFrame);

void BM_PlayFrameRenderedAndConverted(benchmark::State& state) {
    std::vector<std::uint32_t> target(SCREEN_WIDTH * SCREEN_HEIGHT);
    for (auto _ : state) {
        RunPlayFrame();
        ConvertShownFrame(target);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PlayFrameRenderedAndConverted);

}  // namespace
