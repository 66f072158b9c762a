// The runs behind the shipped ranking: the route played from the start at five paces,
// each entry's demo made by one. The shipped data must hold each run's demo under its
// score, and the ranking file those five scores, so that a fresh install can watch every
// entry and race first place's ghost.
//
//   LB_SHIPPED_RUNS=<folder> ctest --test-dir build -R ShippedRuns   writes the five demos
//   there; tools/ship_runs.sh puts them and their scores into data/.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/demo_run.h"
#include "app/run_records.h"
#include "game/scene_state.h"
#include "records/ranking_demos.h"
#include "tests/support/harness.h"
#include "tests/whole_game/game_run.h"

namespace {

// How much later than the golden route each shipped run sets out.
constexpr std::uint32_t LATE_MS[] = {0, 350, 900, 1600, 2500};

class ShippedRuns : public testing::TestWithParam<std::uint32_t> {};

TEST_P(ShippedRuns, TheRouteSetOutLateClearsForItsScore) {
    whole::GameRun run([] { StartRecording(); });
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY));
    ASSERT_TRUE(whole::PlayRoute(run, nullptr, GetParam()));
    ASSERT_TRUE(run.UntilScene(SCENE_RESULT));
    const ClearOutcome& clear = LastClear();
    ASSERT_TRUE(clear.made);
    // The route's own clear, later by the wait (give or take the frame it falls in).
    EXPECT_NEAR(static_cast<double>(clear.playTimeMs), 2561.0 + GetParam(), 40.0);
    const char* folder = std::getenv("LB_SHIPPED_RUNS");
    if (folder == nullptr || *folder == '\0') return;
    const std::string demo = RunSoFar();
    ASSERT_FALSE(demo.empty());
    const std::string path = std::string(folder) + "/" + std::to_string(clear.score) + ".lbdemo";
    std::filesystem::create_directories(folder);
    test::WriteFile(path, demo);
}

INSTANTIATE_TEST_SUITE_P(FivePaces, ShippedRuns, testing::ValuesIn(LATE_MS));

}  // namespace
