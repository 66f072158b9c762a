// Demos: the kept demo of the golden run played back against the golden frames, the game
// binary's --verify on it and on spoilt copies, and the demos the ranking keeps.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/demo_run.h"
#include "app/run_records.h"
#include "app/watch_run.h"
#include "game/scene_state.h"
#include "gfx/frame_pacing.h"
#include "platform/demo/demo.h"
#include "platform/headless/headless.h"
#include "platform/host/suspension.h"
#include "platform/overlay/overlay.h"
#include "platform/win32.h"
#include "records/numbers.h"
#include "records/ranking_demos.h"
#include "records/ranking_save.h"
#include "scenes/clear_results.h"
#include "tests/e2e/process.h"
#include "tests/whole_game/game_run.h"

namespace {

namespace fs = std::filesystem;
using whole::RunBinary;
using whole::Verify;

// The golden run's clear: 2 561 ms of play.
constexpr std::uint32_t RING_PLAY_TIME = 2561;
constexpr std::uint32_t RING_SCORE = SCORE_BASE - RING_PLAY_TIME;

// The golden record's frame checks, in order.
std::vector<std::string> GoldenChecksums() {
    std::vector<std::string> checks;
    std::ifstream in(LB_SOURCE_DIR "/tests/whole_game/golden/ring.txt");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("F ", 0) == 0) checks.push_back(line.substr(line.rfind(' ') + 1));
    }
    return checks;
}

TEST(Demo, TheKeptDemoPlaysBackToTheGoldenFramesAndScore) {
    test::ScratchDir dir;
    test::CopyRealData();
    const std::string ranking = test::ReadFile("txt/Ranking/Ranking.txt");
    ASSERT_TRUE(StartReplay(whole::ReadDemo(whole::KEPT_DEMO), false, false));
    headless::KeepFrames(8);
    test::StartGame();
    std::vector<std::string> checks;
    std::uint64_t seen = 0;
    while (!DemoReplayOver() && DemoDifference() < 0 && !test::Turn()) {
        const std::vector<headless::Frame>& kept = headless::Frames();
        for (std::size_t i = kept.size() - (headless::FrameCount() - seen); i < kept.size(); ++i) {
            char check[17];
            std::snprintf(check, sizeof check, "%016llx",
                          static_cast<unsigned long long>(whole::FrameChecksum(kept[i])));
            checks.emplace_back(check);
        }
        seen = headless::FrameCount();
    }
    std::string why;
    EXPECT_EQ(DemoDifference(&why), -1) << why;
    EXPECT_TRUE(DemoReplayOver());
    EXPECT_EQ(checks, GoldenChecksums());
    ASSERT_EQ(DemoClears().size(), 1u);
    EXPECT_EQ(DemoClears()[0].playTimeMs, RING_PLAY_TIME);
    EXPECT_EQ(DemoClears()[0].score, RING_SCORE);
    // Played back, the run saved nothing over the player's ranking.
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), ranking);
}

TEST(Demo, VerifyAcceptsTheKeptDemoAndRefusesSpoiltOnes) {
    test::ScratchDir dir;
    test::CopyRealData();
    const Demo kept = whole::ReadDemo(whole::KEPT_DEMO);
    test::WriteFile("ring.lbdemo", EncodeDemo(kept));
    whole::BinaryRun run = Verify("ring.lbdemo");
    EXPECT_EQ(run.code, 0) << run.out;
    EXPECT_EQ(run.out.rfind(whole::RING_CLEAR, 0), 0u) << run.out;

    const std::string bytes = EncodeDemo(kept);
    test::WriteFile("cut.lbdemo", bytes.substr(0, bytes.size() / 2));
    test::WriteFile("other.lbdemo", "3200,2400,1600,1000,500,");
    for (const char* refused : {"cut.lbdemo", "other.lbdemo", "missing.lbdemo"}) {
        EXPECT_EQ(Verify(refused).code, 2) << refused;
    }

    // The first step right becomes a step up.
    test::WriteFile("edited.lbdemo", EncodeDemo(whole::EditedKey(kept, VK_RIGHT, VK_UP)));
    run = Verify("edited.lbdemo");
    EXPECT_EQ(run.code, 1) << run.out;
    EXPECT_NE(run.out.find("lantern-blade: the demo differs at frame "), std::string::npos) << run.out;
    // A clear where the run reads its first clock: it differs before its first frame.
    test::WriteFile("first.lbdemo", EncodeDemo(whole::Edited(kept, [](const DemoRecord&) { return true; },
                                                             whole::ClearRecord(RING_PLAY_TIME, RING_SCORE))));
    run = Verify("first.lbdemo");
    EXPECT_EQ(run.code, 1) << run.out;
    EXPECT_NE(run.out.find("differs at frame 0: "), std::string::npos) << run.out;

    // Another stage: the first enemy stands elsewhere.
    std::string enemies = test::ReadFile("txt/en.txt");
    enemies[enemies.find_first_of("123456789")] = '0';
    test::WriteFile("txt/en.txt", enemies);
    run = Verify("ring.lbdemo");
    EXPECT_EQ(run.code, 2) << run.out;
    EXPECT_NE(run.out.find("another stage"), std::string::npos) << run.out;
}

// The run is dated when it cleared, not when it is packed: kept twice (in the ranking and
// as the best) or packed again seconds later, it is the same bytes, so it goes to a world
// ranking once.
TEST(Demo, TheSameRunPackedAgainLaterIsTheSameBytes) {
    const std::string best = "txt/Ranking/demos/best.lbdemo";
    whole::GameRun run([] { StartRecording(); });
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY) && whole::PlayRoute(run));
    ASSERT_TRUE(run.UntilScene(SCENE_RESULT) && run.Until([&best] { return fs::exists(best); }));
    EXPECT_EQ(test::ReadFile(best), test::ReadFile(whole::KEPT_ROUTE));
    const std::string packed = DemoRecordingBytes(true);
    // The wall clock's next second, without a turn of the game.
    for (const std::time_t then = std::time(nullptr); std::time(nullptr) == then;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(DemoRecordingBytes(true), packed);
}

// Another game holds the ranking's lock at the clear: the save waits for it on a thread
// of its own, and once let go the score goes in with the demo of the run that made it.
TEST(Demo, ASaveThatWaitedForTheLockKeepsItsDemo) {
    int otherGame = -1;
    whole::GameRun run([&otherGame] {
        otherGame = ::open("txt/Ranking/Ranking.txt.lock", O_CREAT | O_RDWR, 0600);
        ASSERT_EQ(flock(otherGame, LOCK_EX), 0);
        StartRecording();
    });
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY) && whole::PlayRoute(run));
    ASSERT_TRUE(run.UntilScene(SCENE_RESULT));
    EXPECT_FALSE(fs::exists(whole::KEPT_ROUTE));
    ::close(otherGame);
    FinishWaitingSave();
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt").rfind(std::to_string(RING_SCORE) + ",", 0), 0u);
    const whole::BinaryRun verified = Verify(whole::KEPT_ROUTE);
    EXPECT_EQ(verified.code, 0) << verified.out;
    EXPECT_EQ(verified.out.rfind(whole::RING_CLEAR, 0), 0u) << verified.out;
}

const std::string BEST_DEMO = "txt/Ranking/demos/" + std::to_string(RING_SCORE) + "-0.lbdemo";

// The golden run's demo kept as first place's.
void KeepBestDemo() {
    test::WriteFile("txt/Ranking/Ranking.txt", std::to_string(RING_SCORE) + ",2400,1600,1000,500,");
    fs::create_directories("txt/Ranking/demos");
    fs::copy_file(whole::KEPT_DEMO, BEST_DEMO, fs::copy_options::overwrite_existing);
}

// --export writes a place's kept run whole, replacing a link planted at the name rather
// than writing through it; a place that keeps no run of its score, or no place, is refused.
TEST(Demo, ExportWritesAPlacesRunOrSaysWhyNot) {
    test::ScratchDir dir;
    test::CopyRealData();
    KeepBestDemo();
    test::WriteFile("precious", "the player's own");
    fs::create_symlink(fs::absolute("precious"), "sent.lbdemo");
    whole::BinaryRun run = RunBinary({"--export", "1", "sent.lbdemo"});
    EXPECT_EQ(run.code, 0) << run.out;
    EXPECT_EQ(test::ReadFile("sent.lbdemo"), test::ReadFile(BEST_DEMO));
    EXPECT_EQ(test::ReadFile("precious"), "the player's own");
    EXPECT_EQ(Verify("sent.lbdemo").code, 0);

    for (const std::vector<std::string>& refused : std::vector<std::vector<std::string>>{
             {"--export", "2", "other.lbdemo"}, {"--export", "6", "other.lbdemo"}, {"--export", "1"}}) {
        run = RunBinary(refused);
        EXPECT_EQ(run.code, 2) << run.out;
        EXPECT_EQ(run.out.rfind("lantern-blade: ", 0), 0u) << run.out;
        EXPECT_FALSE(fs::exists("other.lbdemo"));
    }
    EXPECT_NE(run.out.find("--export needs a place"), std::string::npos) << run.out;
}

// Picks the menu item `moves` down with Z, until the game is in `scene`.
bool Choose(whole::GameRun& run, int moves, int scene) {
    bool ok = run.Frames(2);
    for (int i = 0; ok && i < moves; ++i) ok = run.Hold(VK_DOWN, 1) && run.Frames(1);
    return ok && run.PressUntil('Z', [scene] { return g_scene == scene; });
}

// Plays a recording in a process of its own, so that a replay then starts a fresh game,
// and reads back what it wrote to `recording`.
Demo RecordedApart(const std::string& recording, void (*play)(const std::string&)) {
    EXPECT_TRUE(whole::Apart([&] { play(recording); }));
    return whole::ReadDemo(recording);
}

constexpr const char* RANKING_FILE = "txt\\Ranking\\Ranking.txt";

// What a watch showed, seen after each turn while it lasted.
struct Watched {
    std::vector<int> scenes;
    std::uint32_t score = 0;
    int mostCountedUp = 0;
    std::string caption;
    bool rankMusicAfter = false;
};

// Presses the key on the ranking screen and plays on until the ranking is back.
Watched WatchWith(whole::GameRun& run, int key) {
    Watched seen;
    run.Watch([&seen] {
        if (!WatchingRun()) return;
        if (seen.scenes.empty() || seen.scenes.back() != g_scene) seen.scenes.push_back(g_scene);
        if (!DemoClears().empty()) seen.score = DemoClears().back().score;
        seen.mostCountedUp = std::max(seen.mostCountedUp, g_countUpPercent);
        const overlay::View& view = overlay::Viewed();
        if (view.replay) seen.caption = view.replayOf.name;
    });
    EXPECT_TRUE(run.Hold(key, 1) && run.Until([] { return WatchingRun(); }) &&
                run.Until([] { return !WatchingRun(); }) && run.Frames(1));
    run.Watch(nullptr);
    EXPECT_EQ(g_scene, SCENE_RANKING);
    seen.rankMusicAfter = headless::IsPlaying("RANK.mid");
    return seen;
}

// Records a session that watches places of the shipped ranking from its screen: 3, then
// Z with first place's demo swapped for one of another score, then 4 stopped with Escape,
// and S; writes the session to `recording`.
void WatchFromTheRanking(const std::string& recording) {
    whole::GameRun run([] { StartRecording(true); });
    // From the play through the pause menu's third item to the title, then its second.
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY) && run.Hold('X', 1) && run.UntilScene(SCENE_PAUSE) &&
                Choose(run, 2, SCENE_TITLE) && Choose(run, 1, SCENE_RANKING) && run.Frames(30));
    const std::string rankingBefore = test::ReadFile("txt/Ranking/Ranking.txt");
    const std::vector<std::int32_t> tableBefore(g_ranking, g_ranking + RANKING_SIZE);
    const std::uint64_t before = headless::Now();

    const Watched third = WatchWith(run, '3');
    EXPECT_EQ(third.score, static_cast<std::uint32_t>(tableBefore[2]));
    EXPECT_EQ(third.caption, "EMBER");
    EXPECT_NE(std::find(third.scenes.begin(), third.scenes.end(), SCENE_PLAY), third.scenes.end());
    // The results counted up to the whole score, to where the ending would start.
    EXPECT_EQ(third.scenes.back(), SCENE_ENDING_INIT);
    EXPECT_EQ(third.mostCountedUp, 99);
    EXPECT_TRUE(third.rankMusicAfter);
    // Paced: the run's play time at least went by.
    EXPECT_GE(headless::Now() - before, 3000u);
    // Nothing of the run stayed: the ranking on disk and in the game, no best of the player's.
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), rankingBefore);
    EXPECT_EQ(std::vector<std::int32_t>(g_ranking, g_ranking + RANKING_SIZE), tableBefore);
    EXPECT_FALSE(fs::exists("txt/Ranking/Best.txt"));
    EXPECT_FALSE(LastClear().made);

    // First place's run swapped for one that scored a point less: a note, no watch.
    const std::string first = PlaceDemoPath(0, g_ranking, RANKING_FILE);
    const std::string kept = test::ReadFile(first);
    Demo other = whole::ReadDemo(first);
    other = whole::Edited(other, [](const DemoRecord& record) { return record.tag == TAG_CLEAR; },
                          whole::ClearRecord(other.scan.clears.back().playTimeMs, other.scan.clears.back().score - 1));
    test::WriteFile(first, EncodeDemo(other));
    ASSERT_TRUE(run.Hold('Z', 1) && run.Frames(2));
    EXPECT_FALSE(WatchingRun());
    EXPECT_EQ(overlay::Viewed().note, "The run kept here scored otherwise");
    test::WriteFile(first, kept);

    // Escape stops a watch within a frame, and only the watch.
    ASSERT_TRUE(run.Hold('4', 1) && run.Until([] { return WatchingRun() && g_scene == SCENE_PLAY; }));
    const std::uint64_t frames = headless::FrameCount();
    headless::PressKey(VK_ESCAPE);
    ASSERT_TRUE(run.Turn());
    EXPECT_LE(headless::FrameCount() - frames, 1u);
    ASSERT_TRUE(run.Turn());
    EXPECT_FALSE(WatchingRun());
    headless::ReleaseKey(VK_ESCAPE);
    ASSERT_TRUE(run.Frames(1));
    EXPECT_EQ(g_scene, SCENE_RANKING);

    ASSERT_TRUE(run.Hold('S', 1) && run.Frames(1));
    EXPECT_EQ(headless::DemosSent(), std::vector<std::string>{fs::absolute(first).string()});
    ASSERT_TRUE(run.PressUntil('X', [] { return g_scene == SCENE_TITLE; }));
    test::WriteFile(recording, DemoRecordingBytes(false));
}

// Keys 1 to 5 (and Z, first place) on the ranking screen watch that place's run in the
// game's own process, through its clear to its results, and the ranking comes back as it
// was; a run that did not score the entry's score is not watched, and says so. The session
// around the watches plays back as recorded, passing over them.
TEST(Demo, KeysOnTheRankingWatchThatPlacesRunAndTheRankingReturns) {
    test::ScratchDir dir;
    const Demo watched = RecordedApart(fs::absolute("watched.lbdemo").string(), WatchFromTheRanking);
    ASSERT_FALSE(testing::Test::HasFailure());
    test::CopyRealData();
    std::string why;
    ASSERT_TRUE(StartReplay(watched, false, false));
    test::StartGame();
    while (!DemoReplayOver() && DemoDifference() < 0 && !test::Turn()) {
    }
    EXPECT_EQ(DemoDifference(&why), -1) << why;
    EXPECT_TRUE(DemoReplayOver());
    EXPECT_FALSE(WatchingRun());
    EXPECT_TRUE(headless::DemosSent().empty());
}

// A session that leaves its first game for the title and clears the second.
void ClearTheSecondGame(const std::string& recording) {
    whole::GameRun run([] { StartRecording(true); });
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY) && run.Frames(20) && run.Hold('X', 1) && run.UntilScene(SCENE_PAUSE) &&
                Choose(run, 2, SCENE_TITLE) && run.Frames(20) && Choose(run, 0, SCENE_PLAY) &&
                whole::PlayRoute(run) && run.UntilScene(SCENE_RESULT));
    test::WriteFile(recording, DemoRecordingBytes(false));
}

// Watched, a demo shows the run of its last clear from the stage's start, paced: the
// session before it passes unseen and unheard, and the replay still matches throughout.
TEST(Demo, AWatchedDemoStartsAtTheRunThatCleared) {
    test::ScratchDir dir;
    const Demo session = RecordedApart(fs::absolute("session.lbdemo").string(), ClearTheSecondGame);
    ASSERT_FALSE(testing::Test::HasFailure());
    ASSERT_GT(session.scan.lastRunStart, 0u);
    test::CopyRealData();
    ASSERT_TRUE(StartReplay(session, true, false));
    test::StartGame();
    bool titleHeard = false;
    int firstShownScene = -1;
    bool battleAtFirstShown = false;
    std::uint64_t passedOver = 0;
    std::uint64_t start = headless::Now();
    while (!DemoReplayOver() && DemoDifference() < 0 && !test::Turn()) {
        titleHeard = titleHeard || headless::IsPlaying("OPENING.mid");
        if (firstShownScene < 0 && headless::FrameCount() > 0) {
            firstShownScene = g_scene;
            battleAtFirstShown = headless::IsPlaying("BATTLE03.mid");
            passedOver = DemoFrames() - headless::FrameCount();
            start = headless::Now();
        }
        if (firstShownScene < 0) {
            EXPECT_EQ(headless::Now(), start) << "paced before the run";
        }
    }
    std::string why;
    EXPECT_EQ(DemoDifference(&why), -1) << why;
    EXPECT_TRUE(DemoReplayOver());
    EXPECT_FALSE(titleHeard);
    EXPECT_EQ(firstShownScene, SCENE_PLAY);
    EXPECT_TRUE(battleAtFirstShown);
    // The first game, its pause menu and the title: none of their frames shown.
    EXPECT_GT(passedOver, 40u);
    EXPECT_EQ(DemoClears().size(), 1u);
    // Shown from there at the recorded pace: one frame period a frame.
    EXPECT_GE(headless::Now() - start, (headless::FrameCount() - 1) * FRAME_PERIOD_MS * 9 / 10);
}

std::uint32_t g_pauseAsked = 0;

// Where the host pauses only between turns (the browser), a watched run never waits inside
// a turn: each asks for the pause its next frame needs, and the run keeps its pace.
TEST(Demo, AWatchedRunWaitsOnlyBetweenTurnsWhereTheHostPausesThere) {
    test::ScratchDir dir;
    test::CopyRealData();
    backend::Backend host = headless::Backend();
    host.clock.pausesBetweenTurns = true;
    host.clock.idle = [](std::uint32_t ms) { g_pauseAsked = std::max(g_pauseAsked, ms); };
    backend::Install(host);
    const std::unique_ptr<void, void (*)(void*)> restore(&g_pauseAsked, [](void*) { test::UseHeadlessBackend(); });
    ASSERT_TRUE(StartReplay(whole::ReadDemo(whole::KEPT_DEMO), true, false));
    test::StartGame();
    const std::uint64_t start = headless::Now();
    bool ended = false;
    while (!ended && !DemoReplayOver() && DemoDifference() < 0) {
        g_pauseAsked = 0;
        const std::uint64_t before = headless::Now();
        ended = test::Turn();
        ASSERT_EQ(headless::Now(), before) << "a turn waited";
        headless::Advance(g_pauseAsked);
    }
    std::string why;
    EXPECT_EQ(DemoDifference(&why), -1) << why;
    EXPECT_TRUE(DemoReplayOver());
    EXPECT_GE(headless::Now() - start, (headless::FrameCount() - 1) * FRAME_PERIOD_MS * 9 / 10);
}

}  // namespace
