// The ghost over whole runs: its track read from a kept best run holds that run's hero at
// every play time, it is drawn over the hero shown when the same route is played again at
// the same pace, and G, --classic and a damaged or foreign best demo leave it out.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <filesystem>
#include <string>
#include <vector>

#include "app/demo_run.h"
#include "app/ghost_track.h"
#include "app/overlay_view.h"
#include "game/movement.h"
#include "game/run_state.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "platform/ddraw.h"
#include "platform/headless/headless.h"
#include "platform/overlay/overlay.h"
#include "platform/policy/settings.h"
#include "platform/seam/game_view.h"
#include "tests/support/harness.h"
#include "tests/whole_game/game_run.h"

namespace ghost_run {

const std::string BEST_DEMO = "txt/Ranking/demos/best.lbdemo";

GhostTrack TrackOf(const std::string& path) {
    GhostTrack track;
    EXPECT_TRUE(ReadGhostTrack(whole::ReadDemo(path), &track));
    return track;
}

// The route played from a fresh start, as kept for its clear (remade by
// `LB_SHIPPED_RUNS=<folder> ctest -R ShippedRuns`: its first, 3439.lbdemo).
const char* const ROUTE_DEMO = LB_SOURCE_DIR "/tests/whole_game/golden/route.lbdemo";

// Settings of this run's own: the ghost on.
void FreshInstall() {
    setenv("XDG_CONFIG_HOME", (std::filesystem::current_path() / "config").c_str(), 1);
}

// The route's run kept as the player's best.
void RouteIsTheBest() {
    FreshInstall();
    const GhostTrack track = TrackOf(ROUTE_DEMO);
    std::filesystem::create_directories("txt/Ranking/demos");
    std::filesystem::copy_file(ROUTE_DEMO, BEST_DEMO);
    test::WriteFile("txt/Ranking/Best.txt", std::to_string(track.clearMs) + ",");
}

// Calls `look` at each presented frame of play.
void AtPlayFrames(whole::GameRun& run, const std::function<void()>& look) {
    run.Watch([seen = PresentedFrameCount(), look]() mutable {
        if (PresentedFrameCount() == seen) return;
        seen = PresentedFrameCount();
        if (g_scene == SCENE_PLAY) look();
    });
}

TEST(GhostRun, TheTrackOfAKeptBestRunIsItsHeroAtEveryPlayTime) {
    whole::GameRun run([] { StartRecording(); });
    struct Seen {
        std::uint32_t playTimeMs;
        ActorView hero;
    };
    std::vector<Seen> seen;
    std::uint32_t stageStart = 0, frameTime = 0;
    AtPlayFrames(run, [&] {
        // A restart's frames are not the best run's.
        if (g_stageStart != stageStart) seen.clear();
        stageStart = g_stageStart;
        // Frames of play only, not the pictures shown as the pause ends.
        if (g_frameTime == frameTime) return;
        frameTime = g_frameTime;
        GameView view;
        ASSERT_TRUE(ReadGameView(&view));
        seen.push_back(Seen{view.playTimeMs, view.hero});
    });
    // A walk, a restart, then the route with a pause after its first pair.
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY) && run.Hold(VK_RIGHT, 20) && run.Hold('C', 1));
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY));
    ASSERT_TRUE(whole::PlayRoute(run, [&run] {
        return run.Hold('X', 1) && run.UntilScene(SCENE_PAUSE) && run.Frames(20) &&
               run.PressUntil('Z', [] { return g_scene == SCENE_PLAY; });
    }));
    ASSERT_TRUE(run.UntilScene(SCENE_RESULT));

    const GhostTrack track = TrackOf(BEST_DEMO);
    ASSERT_GT(seen.size(), 100u);
    // A point a frame where the hero changed, 12 bytes each: about 1.5 KB for this run.
    EXPECT_LT(track.points.size(), seen.size());
    EXPECT_EQ(GhostAt(track, seen.front().playTimeMs - 1), nullptr);
    for (const Seen& frame : seen) {
        const GhostPoint* point = GhostAt(track, frame.playTimeMs);
        ASSERT_NE(point, nullptr) << frame.playTimeMs;
        EXPECT_EQ(point->x, frame.hero.x) << frame.playTimeMs;
        EXPECT_EQ(point->y, frame.hero.y) << frame.playTimeMs;
        EXPECT_EQ(point->dir, frame.hero.dir) << frame.playTimeMs;
        EXPECT_EQ(point->anim, frame.hero.anim) << frame.playTimeMs;
        EXPECT_EQ(point->attack, frame.hero.attack) << frame.playTimeMs;
    }
    EXPECT_EQ(GhostAt(track, PlayTime()), nullptr);  // the clear's play time
}

// The ghost of the best, or before any clear the shipped first place's run (the route's).
class GhostRunRacing : public testing::TestWithParam<void (*)()> {};

TEST_P(GhostRunRacing, TheSameRouteAtTheSamePaceTheGhostCoversTheHeroShown) {
    whole::GameRun run(GetParam());
    // Where the next frame draws the hero: a play frame draws before it moves.
    int heroLeft = 0, heroTop = 0;
    int shown = 0, exact = 0, pixels = 0, alike = 0;
    AtPlayFrames(run, [&] {
        const overlay::View& view = overlay::Viewed();
        if (view.ghost.shown) {
            ++shown;
            EXPECT_EQ(view.ghost.left, heroLeft);
            EXPECT_EQ(view.ghost.top, heroTop);
            // Each half-seen pixel has the colour of the hero's pixel under it, but where
            // an enemy or its break-up is drawn over the hero.
            const headless::Frame& frame = headless::LastFrame();
            int framePixels = 0, frameAlike = 0;
            for (const overlay::Rect& rect : overlay::Shown().rects) {
                if ((rect.argb >> 24) != 0x80) continue;
                for (int x = rect.x; x < rect.x + rect.w; ++x) {
                    ++framePixels;
                    frameAlike += frame.palette[frame.pixels[rect.y * 640 + x]] == (rect.argb & 0xFFFFFFu);
                }
            }
            exact += framePixels > 1000 && frameAlike == framePixels;
            pixels += framePixels;
            alike += frameAlike;
        }
        heroLeft = g_player.x - g_camera.x - SPRITE_HALF;
        heroTop = g_player.y - g_camera.y - SPRITE_HALF;
    });
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY) && whole::PlayRoute(run));
    EXPECT_GT(shown, 100);
    EXPECT_GT(exact, shown / 2);
    EXPECT_GT(alike, pixels * 9 / 10);
}

INSTANTIATE_TEST_SUITE_P(Ghosts, GhostRunRacing, testing::Values(RouteIsTheBest, FreshInstall),
                         [](const auto& param) { return param.index == 0 ? "BestKept" : "FreshInstall"; });

TEST(GhostRun, GInPlayTurnsItOffAndTheSettingKeepsThat) {
    whole::GameRun run(RouteIsTheBest);
    int shown = 0;
    AtPlayFrames(run, [&] { shown += overlay::Viewed().ghost.shown; });
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY) && run.Frames(30));
    EXPECT_GT(shown, 20);
    ASSERT_TRUE(run.Hold('G', 1) && run.Frames(2));
    EXPECT_FALSE(overlay::Viewed().ghost.shown);
    EXPECT_EQ(overlay::Viewed().note, "Ghost off");
    EXPECT_NE(test::ReadFile("config/lantern-blade/settings.ini").find("ghost=false"), std::string::npos);
}

// --classic, or a best demo cut short, of another run than the best or missing.
class GhostRunWithout : public testing::TestWithParam<std::string> {};

TEST_P(GhostRunWithout, PlayShowsNoGhost) {
    const std::string why = GetParam();
    whole::GameRun run([why] {
        RouteIsTheBest();
        const std::string demo = test::ReadFile(BEST_DEMO);
        if (why == "classic") AskForClassic();
        if (why == "truncated") test::WriteFile(BEST_DEMO, demo.substr(0, demo.size() / 2));
        if (why == "another_run") test::WriteFile("txt/Ranking/Best.txt", "2000,");
        if (why == "missing") std::filesystem::remove(BEST_DEMO);
    });
    int shown = 0;
    AtPlayFrames(run, [&] { shown += overlay::Viewed().ghost.shown; });
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY) && run.Frames(60));
    EXPECT_EQ(shown, 0);
}

INSTANTIATE_TEST_SUITE_P(Causes, GhostRunWithout, testing::Values("classic", "truncated", "another_run", "missing"));

}  // namespace ghost_run
