// Starts the game headless on a scratch copy of the real data and leaves it in the play
// scene, so every benchmark draws with the real pictures and the real stage.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <exception>

#include "game/scene_state.h"
#include "tests/support/harness.h"

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    test::UseHeadlessBackend();
    test::ScratchDir scratch;
    try {
        test::CopyRealData();
        test::StartGame();
        if (!test::RunUntil([] { return g_scene == SCENE_PLAY; }, 1000)) {
            std::fprintf(stderr, "lb_bench: the stage did not load\n");
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "lb_bench: %s\n", error.what());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
