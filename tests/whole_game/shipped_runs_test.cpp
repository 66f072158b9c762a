// The runs behind the shipped ranking: the route played from the start at five paces,
// each entry's demo made by one. The shipped data holds each run's demo as its entry's,
// and the ranking file those five scores, so that a fresh install can watch every entry
// and race first place's ghost.
//
//   LB_SHIPPED_RUNS=data/txt/Ranking/demos ctest --test-dir build -R ShippedRuns
// writes the five demos there again (the stage or the rules of play changed).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/demo_run.h"
#include "app/run_records.h"
#include "game/scene_state.h"
#include "platform/policy/settings.h"
#include "records/numbers.h"
#include "records/ranking_demos.h"
#include "tests/support/harness.h"
#include "tests/whole_game/game_run.h"

namespace {

namespace fs = std::filesystem;

// How much later than the golden route each shipped run sets out, and whose run it is.
constexpr struct {
    std::uint32_t lateMs;
    const char* player;
} SHIPPED_RUNS[] = {{0, "LANTERN"}, {350, "BLADE"}, {900, "EMBER"}, {1600, "WICK"}, {2500, "MOTH"}};

class ShippedRuns : public testing::TestWithParam<int> {};

TEST_P(ShippedRuns, TheRouteSetOutLateClearsForItsScore) {
    const auto& shipped = SHIPPED_RUNS[GetParam()];
    whole::GameRun run([&shipped] {
        RunSettings().name = shipped.player;
        StartRecording();
    });
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY));
    ASSERT_TRUE(whole::PlayRoute(run, nullptr, shipped.lateMs));
    ASSERT_TRUE(run.UntilScene(SCENE_RESULT));
    const ClearOutcome& clear = LastClear();
    ASSERT_TRUE(clear.made);
    // The route's own clear, later by the wait (give or take the frame it falls in).
    EXPECT_NEAR(static_cast<double>(clear.playTimeMs), 2561.0 + shipped.lateMs, 40.0);
    const char* folder = std::getenv("LB_SHIPPED_RUNS");
    if (folder == nullptr || *folder == '\0') return;
    const std::string demo = RunSoFar();
    ASSERT_FALSE(demo.empty());
    const std::int32_t alone[RANKING_SIZE] = {static_cast<std::int32_t>(clear.score)};
    // A folder named from the source tree, where ctest is run.
    const fs::path into = fs::path(LB_SOURCE_DIR) / folder;
    test::WriteFile((into / fs::path(PlaceDemoPath(0, alone, "Ranking.txt")).filename()).string(), demo);
}

INSTANTIATE_TEST_SUITE_P(FivePaces, ShippedRuns, testing::Range(0, 5));

// On a fresh install every shipped entry keeps the run that scored it, which verifies
// alone with that score under its player's name.
TEST(ShippedRanking, EachPlaceKeepsARunThatVerifiesWithItsScore) {
    test::DataDir dir;
    KeepRuns();
    ReadNumbers(RANKING_SIZE, g_ranking, "txt\\Ranking\\Ranking.txt");
    for (int place = 0; place < RANKING_SIZE; ++place) {
        SCOPED_TRACE(place + 1);
        EXPECT_TRUE(PlaceKeepsItsRun(place, "txt\\Ranking\\Ranking.txt"));
        whole::ExpectVerify(PlaceDemoPath(place, g_ranking, "txt\\Ranking\\Ranking.txt"), 0,
                            ", score " + std::to_string(g_ranking[place]) + "\nplayer: " + SHIPPED_RUNS[place].player + "\n");
    }
}

}  // namespace
