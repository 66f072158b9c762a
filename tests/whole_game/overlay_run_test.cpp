// The overlay over a whole run: what it shows at each frame of play, on the results and on
// the ranking, and the player's best it keeps. That it never enters the game's frames the
// golden run shows: its frames are checked with the overlay on.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <thread>

#include "app/demo_run.h"
#include "app/run_records.h"
#include "game/run_state.h"
#include "game/scene_state.h"
#include "platform/ddraw.h"
#include "platform/demo/demo.h"
#include "platform/headless/headless.h"
#include "platform/host/suspension.h"
#include "platform/overlay/overlay.h"
#include "records/numbers.h"
#include "tests/support/harness.h"
#include "tests/whole_game/game_run.h"

namespace {

// The place a score takes in the shipped ranking.
int ShippedPlace(std::uint32_t score) {
    std::int32_t ranking[RANKING_SIZE] = {};
    ReadNumbers(RANKING_SIZE, ranking, LB_SOURCE_DIR "/data/txt/Ranking/Ranking.txt");
    SortDescending(RANKING_SIZE, ranking);
    return PlaceOf(ranking, score);
}

TEST(OverlayRun, LiveScoreIsSixThousandLessThePlayTimeAtEveryPlayFrame) {
    whole::GameRun run;
    // Flips only: a palette change shows the picture again without a frame of the game.
    std::uint64_t seen = PresentedFrameCount();
    int playFrames = 0;
    int killsLeftSeen = 6;
    run.Watch([&] {
        if (PresentedFrameCount() == seen) return;
        seen = PresentedFrameCount();
        if (g_scene != SCENE_PLAY) return;
        ++playFrames;
        const std::uint32_t clock = static_cast<std::uint32_t>(GameClockMs(headless::LastFrame().atMs));
        const std::int64_t played = static_cast<std::int64_t>(clock - g_stageStart - g_pauseTotal);
        const overlay::View& view = overlay::Viewed();
        ASSERT_EQ(view.screen, overlay::Screen::Play);
        ASSERT_EQ(view.score, static_cast<std::uint32_t>(std::max<std::int64_t>(0, 6000 - played)))
            << "play frame " << playFrames;
        ASSERT_FALSE(overlay::Shown().rects.empty());
        ASSERT_LE(view.killsLeft, killsLeftSeen);
        killsLeftSeen = view.killsLeft;
    });
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY));
    // Past the par time with nothing killed: the score stays at 0.
    ASSERT_TRUE(run.Until([] { return g_frameTime - g_stageStart >= 6500; }));
    EXPECT_EQ(overlay::Viewed().score, 0u);
    EXPECT_EQ(overlay::Viewed().killsLeft, 5);
    // A restart starts the score from 6000 again, and the route kills five, paused once:
    // the score stands still through the pause and goes on from there.
    ASSERT_TRUE(run.Hold('C', 1));
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY));
    ASSERT_TRUE(whole::PlayRoute(run, [&run] {
        return run.Hold('X', 1) && run.UntilScene(SCENE_PAUSE) && run.Frames(20) &&
               run.PressUntil('Z', [] { return g_scene == SCENE_PLAY; }) && run.Frames(2);
    }));
    EXPECT_GT(playFrames, 400);
    EXPECT_LT(killsLeftSeen, 5);
    // The clearing frame keeps the clear's score and shows no kill left.
    EXPECT_EQ(overlay::Viewed().killsLeft, 0);
    EXPECT_EQ(overlay::Viewed().score, 6000 - PlayTime());
}

// The route's clear, then its results and the ranking as the overlay shows them.
struct Shown {
    overlay::View results;
    overlay::View ranking;
};

Shown ClearAndLook(whole::GameRun& run) {
    Shown shown;
    EXPECT_TRUE(run.UntilScene(SCENE_PLAY));
    EXPECT_TRUE(whole::PlayRoute(run));
    EXPECT_TRUE(run.UntilScene(SCENE_RESULT) && run.Frames(1));
    shown.results = overlay::Viewed();
    EXPECT_TRUE(run.UntilScene(SCENE_TITLE) && run.Frames(2) && run.Hold(VK_DOWN, 1) && run.Frames(1) &&
                run.PressUntil('Z', [] { return g_scene == SCENE_RANKING; }) && run.Frames(2));
    shown.ranking = overlay::Viewed();
    return shown;
}

TEST(OverlayRun, AFirstClearIsANewBestKeptWithItsDemoAndTheRankingMarksAndNamesItsPlace) {
    whole::GameRun run([] {
        setenv("XDG_CONFIG_HOME", (std::filesystem::current_path() / "config").c_str(), 1);
        test::WriteFile("config/lantern-blade/settings.ini", "name=Ada L.\n");
        StartRecording();
    });
    const Shown shown = ClearAndLook(run);
    const ClearOutcome& clear = LastClear();
    ASSERT_TRUE(clear.made);
    EXPECT_TRUE(shown.results.cleared);
    EXPECT_TRUE(shown.results.newBest);
    EXPECT_EQ(shown.results.score, clear.score);
    const int place = ShippedPlace(clear.score);
    ASSERT_GE(place, 1);
    EXPECT_EQ(shown.results.place, place);
    EXPECT_EQ(shown.ranking.marked, place);
    EXPECT_EQ(BestTimeMs(), clear.playTimeMs);
    EXPECT_EQ(test::ReadFile("txt/Ranking/Best.txt"), std::to_string(clear.playTimeMs) + ",");
    // Kept as the best and in the ranking, the run is the same bytes: it is dated at its
    // clear, not when packed, so it goes to a world ranking once.
    EXPECT_EQ(test::ReadFile("txt/Ranking/demos/best.lbdemo"), test::ReadFile(whole::KEPT_ROUTE));
    const std::string packed = DemoRecordingBytes(true);
    for (const std::time_t then = std::time(nullptr); std::time(nullptr) == then;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(DemoRecordingBytes(true), packed);
    const std::int64_t now = std::time(nullptr);
    for (int i = 0; i < RANKING_SIZE; ++i) {
        const overlay::Signature& entry = shown.ranking.entries[i];
        EXPECT_EQ(entry.name == "Ada L.", i + 1 == place) << "place " << i + 1;
        if (i + 1 == place) {
            EXPECT_GT(entry.date, now - 3600);
            EXPECT_LE(entry.date, now);
        }
    }
}

TEST(OverlayRun, AClearSlowerThanTheBestIsNoNewBestAndLeavesItAlone) {
    whole::GameRun run([] { test::WriteFile("txt/Ranking/Best.txt", "1000,"); });
    const Shown shown = ClearAndLook(run);
    EXPECT_TRUE(shown.results.cleared);
    EXPECT_FALSE(shown.results.newBest);
    EXPECT_EQ(shown.results.place, ShippedPlace(LastClear().score));
    EXPECT_EQ(BestTimeMs(), 1000u);
    EXPECT_EQ(test::ReadFile("txt/Ranking/Best.txt"), "1000,");
    EXPECT_FALSE(std::filesystem::exists("txt/Ranking/demos/best.lbdemo"));
}

}  // namespace
