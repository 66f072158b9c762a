// The start-up, the main loop's scene switch and music, and the two ways out.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/main.h"
#include "game/scene_state.h"
#include "gfx/surfaces.h"
#include "gfx/transitions.h"
#include "platform/headless/headless.h"
#include "platform/mmsystem.h"
#include "records/numbers.h"
#include "tests/support/harness.h"

namespace {

const char* const MUSIC_FILES[] = {"BATTLE03.mid", "BATTLE02.mid", "ENDING.mid", "GAMEOVER.mid",
                                   "OPENING.mid",  "OPTION.mid",   "PROG.mid",   "RANK.mid",
                                   "BreakEnem.wav", "dmg01.wav",   "Sword.wav"};

// A data tree with sound files only: the scenes run on blank surfaces.
void WriteSoundFiles() {
    for (const char* name : MUSIC_FILES) test::WriteFile(name, "sound");
}

std::vector<std::string> TakeLog() {
    std::vector<std::string> log = headless::MciLog();
    headless::ClearMciLog();
    return log;
}

int CountOf(const std::vector<std::string>& log, const std::string& command) {
    return static_cast<int>(std::count(log.begin(), log.end(), command));
}

// The devices the start-up opens and the surfaces it makes show in the whole game's record;
// the ranking it copies and sorts does not.
TEST(StartUp, CopiesThenSortsTheRanking) {
    test::ScratchDir dir;
    test::WriteFile("txt/Ranking/Ranking.txt", "7,3,9,1,5,");
    test::StartGame();
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking2.txt"), "7,3,9,1,5,");
    EXPECT_EQ(std::vector<std::int32_t>(g_ranking, g_ranking + 6),
              (std::vector<std::int32_t>{9, 7, 5, 3, 1, 0}));
    EXPECT_EQ(g_scene, SCENE_STAGE_INIT);
}

TEST(StartUp, WithoutARankingFileWritesFiveZeros) {
    test::ScratchDir dir;
    std::filesystem::create_directories("txt/Ranking");
    test::StartGame();
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking2.txt"), "0,0,0,0,0,");
    EXPECT_EQ(std::vector<std::int32_t>(g_ranking, g_ranking + 5), std::vector<std::int32_t>(5, 0));
}

TEST(StartUp, WithoutADisplayWinMainReturnsZeroAndMakesNothing) {
    test::ScratchDir dir;
    headless::SetDisplayAvailable(false);
    EXPECT_EQ(WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWDEFAULT), 0);
    EXPECT_EQ(g_dd, nullptr);
    EXPECT_EQ(g_shatterDX[0][0], 0);
}

TEST(MusicTable, APieceThatEndsIsPlayedAgainUntilTheAbortOfTheReplayArrives) {
    test::ScratchDir dir;
    WriteSoundFiles();
    test::StartGame();
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_PLAY; }));
    ASSERT_TRUE(test::RunFrames(2));
    headless::ClearMciLog();
    headless::FinishPiece("BATTLE03.mid");
    ASSERT_TRUE(test::RunFrames(10));
    // The first replay starts a new piece; the second interrupts it, whose ABORTED
    // notification replaces the SUCCESSFUL one in the loop's record and ends the replays.
    EXPECT_EQ(CountOf(TakeLog(), "Play BAT03 from 0 notify"), 2);
    EXPECT_TRUE(headless::IsPlaying("BATTLE03.mid"));
}

TEST(MusicTable, ASceneWithoutACheckRestartsNothing) {
    test::ScratchDir dir;
    WriteSoundFiles();
    test::StartGame();
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_PLAY; }));
    g_scene = SCENE_CLEAR_INIT;  // the clear circle's scenes send no music command
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_CLEAR; }));
    headless::ClearMciLog();
    headless::FinishPiece("BATTLE03.mid");
    ASSERT_TRUE(test::RunFrames(20));
    EXPECT_EQ(g_scene, SCENE_CLEAR);
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_FALSE(headless::IsPlaying("BATTLE03.mid"));
}

TEST(Loop, GivesTheProcessorAwayOnTurnsThatDrawNothing) {
    test::ScratchDir dir;
    test::StartGame();
    g_scene = 42;
    const std::uint64_t before = headless::Now();
    for (int i = 0; i < 10; ++i) test::Turn();
    EXPECT_EQ(headless::Now() - before, 10u);
}

TEST(Escape, TearsDownOnceInOrderAndEndsWithExitCodeZero) {
    test::ScratchDir dir;
    WriteSoundFiles();
    test::StartGame();
    ASSERT_TRUE(test::RunFrames(3));
    headless::ClearMciLog();
    // Two presses before the loop fetches WM_QUIT: the second finds nothing to release.
    headless::PressKey(VK_ESCAPE);
    headless::PressKey(VK_ESCAPE);
    EXPECT_EQ(test::RunToExit(), 0);
    EXPECT_EQ(g_dd, nullptr);
    EXPECT_EQ(g_primary, nullptr);
    const std::vector<std::string> log = headless::MciLog();
    ASSERT_EQ(log.size(), 19u);
    EXPECT_EQ(log.front(), "Stop BAT03");
    EXPECT_EQ(log[7], "Stop RAN01");
    EXPECT_EQ(log[8], "Close BAT03");
    EXPECT_EQ(log.back(), "Close SWO");
    EXPECT_FALSE(headless::IsPlaying("BATTLE03.mid"));
}

TEST(Escape, ClosingTheWindowEndsTheGameTheSameWay) {
    test::ScratchDir dir;
    WriteSoundFiles();
    test::StartGame();
    ASSERT_TRUE(test::RunFrames(2));
    headless::ClearMciLog();
    headless::RequestClose();
    EXPECT_EQ(test::RunToExit(), 0);
    EXPECT_EQ(headless::MciLog().size(), 19u);
}

// Escape ends the game even while no scene runs; other keys do not.
TEST(Escape, WorksWhileNoSceneRunsAndNoOtherKeyEndsTheGame) {
    test::ScratchDir dir;
    test::StartGame();
    g_scene = -3;
    headless::PressKey('Q');
    headless::ReleaseKey('Q');
    EXPECT_EQ(test::RunToExit(200), -1);
    EXPECT_NE(g_dd, nullptr);
    headless::PressKey(VK_ESCAPE);
    EXPECT_EQ(test::RunToExit(), 0);
}

}  // namespace
