// The start-up without a display, the main loop's music, and the frame pacing: the loop's
// sleep and the frame gate shared by every drawing scene.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/main.h"
#include "game/scene_state.h"
#include "gfx/frame_pacing.h"
#include "gfx/surfaces.h"
#include "platform/headless/headless.h"
#include "tests/support/harness.h"

namespace {

TEST(StartUp, WithoutADisplayWinMainReturnsZeroAndMakesNothing) {
    test::ScratchDir dir;
    headless::SetDisplayAvailable(false);
    EXPECT_EQ(WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWDEFAULT), 0);
    EXPECT_EQ(g_dd, nullptr);
}

TEST(MusicTable, APieceThatEndsIsPlayedAgainUntilTheAbortOfTheReplayArrives) {
    test::ScratchDir dir;
    test::WriteFile("BATTLE03.mid", test::SILENT_MIDI);  // and nothing else: the scenes run on blank surfaces
    test::StartGame();
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_PLAY; }));
    ASSERT_TRUE(test::RunFrames(2));
    headless::ClearMciLog();
    headless::FinishPiece("BATTLE03.mid");
    // The two plays come on consecutive turns with no pause between them, as a loop
    // that never pauses sends them, so the piece restarts once.
    const std::vector<std::string>& log = headless::MciLog();
    const auto plays = [&log] { return std::count(log.begin(), log.end(), "Play BAT03 from 0 notify"); };
    std::vector<std::uint64_t> playedAt;
    for (int turn = 0; turn < 1000 && playedAt.size() < 2; ++turn) {
        const auto before = plays();
        const std::uint64_t at = headless::Now();
        test::Turn();
        if (plays() > before) playedAt.push_back(at);
    }
    ASSERT_EQ(playedAt.size(), 2u);
    EXPECT_EQ(playedAt[1], playedAt[0]) << "a pause between the two plays";
    ASSERT_TRUE(test::RunFrames(10));
    // The first replay starts a new piece; the second interrupts it, whose ABORTED
    // notification replaces the SUCCESSFUL one in the loop's record and ends the replays.
    EXPECT_EQ(plays(), 2);
    EXPECT_TRUE(headless::IsPlaying("BATTLE03.mid"));
}

TEST(Loop, GivesTheProcessorAwayOnTurnsThatDrawNothing) {
    test::ScratchDir dir;
    test::StartGame();
    g_scene = 42;
    const std::uint64_t before = headless::Now();
    for (int i = 0; i < 10; ++i) test::Turn();
    EXPECT_EQ(headless::Now() - before, 10u);
}

TEST(FrameGate, LetsOneFrameThroughPerPeriodAcrossTheClockWrapAndKeepsTheStampOtherwise) {
    headless::SetTime(0x100000000ull - 6);  // timeGetTime reads 4294967290
    EXPECT_EQ(FrameGate(20), 0);
    headless::Advance(5);
    EXPECT_EQ(FrameGate(20), 1);
    EXPECT_EQ(g_frameLast, 4294967290u);
    EXPECT_EQ(MsUntilNextFrame(10), 10u);
    EXPECT_EQ(MsUntilNextFrame(100), 15u);
    headless::Advance(15);  // past the wrap: timeGetTime reads 14
    EXPECT_EQ(MsUntilNextFrame(10), 0u);
    EXPECT_EQ(FrameGate(20), 0);
    EXPECT_EQ(g_frameLast, 14u);
}

}  // namespace
