// Demos: the kept demo of the golden run played back against the golden frames, the game
// binary's --verify on it and on spoilt copies, and the demos the ranking keeps.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/demo_run.h"
#include "game/scene_state.h"
#include "gfx/frame_pacing.h"
#include "platform/demo/demo.h"
#include "platform/headless/headless.h"
#include "platform/host/suspension.h"
#include "platform/win32.h"
#include "records/ranking_save.h"
#include "scenes/clear_results.h"
#include "tests/e2e/process.h"
#include "tests/whole_game/game_run.h"

namespace {

namespace fs = std::filesystem;

// The golden run's clear: 2 561 ms of play.
constexpr std::uint32_t RING_PLAY_TIME = 2561;
constexpr std::uint32_t RING_SCORE = SCORE_BASE - RING_PLAY_TIME;

Demo KeptDemo() {
    Demo demo;
    std::string why;
    EXPECT_TRUE(ReadDemoFile(whole::KEPT_DEMO, &demo, &why)) << why;
    return demo;
}

// The golden record's frame checks, in order.
std::vector<std::string> GoldenChecksums() {
    std::vector<std::string> checks;
    std::ifstream in(LB_SOURCE_DIR "/tests/whole_game/golden/ring.txt");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("F ", 0) == 0) checks.push_back(line.substr(line.rfind(' ') + 1));
    }
    return checks;
}

// The game binary run with the options in the working folder: its exit code and output.
int RunBinary(std::vector<std::string> options, std::string* output) {
    const std::string log = (fs::current_path() / "game.log").string();
    fs::remove(log);
    options.insert(options.begin(), LB_BINARY_DIR "/lantern-blade");
    e2e::Process game(options, log);
    const int code = game.Wait(std::chrono::minutes(2));
    *output = test::ReadFile("game.log");
    return code;
}

int Verify(const std::string& demoPath, std::string* output) {
    return RunBinary({"--verify", demoPath}, output);
}

void WriteDemo(const std::string& path, const Demo& demo) {
    test::WriteFile(path, EncodeDemo(demo));
}

TEST(Demo, TheKeptDemoPlaysBackToTheGoldenFramesAndScore) {
    test::ScratchDir dir;
    test::CopyRealData();
    const std::string ranking = test::ReadFile("txt/Ranking/Ranking.txt");
    ASSERT_TRUE(StartReplay(KeptDemo(), false, false));
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
    std::string output;
    const Demo kept = KeptDemo();
    WriteDemo("ring.lbdemo", kept);
    EXPECT_EQ(Verify("ring.lbdemo", &output), 0) << output;
    EXPECT_NE(output.find("clear 1: play time 2561 ms, score " + std::to_string(RING_SCORE)), std::string::npos)
        << output;

    const std::string bytes = EncodeDemo(kept);
    test::WriteFile("cut.lbdemo", bytes.substr(0, bytes.size() / 2));
    EXPECT_EQ(Verify("cut.lbdemo", &output), 2) << output;
    test::WriteFile("other.lbdemo", "3200,2400,1600,1000,500,");
    EXPECT_EQ(Verify("other.lbdemo", &output), 2) << output;
    EXPECT_EQ(Verify("missing.lbdemo", &output), 2) << output;

    // The first step right becomes a step up.
    WriteDemo("edited.lbdemo", whole::EditedKey(kept, VK_RIGHT, VK_UP));
    EXPECT_EQ(Verify("edited.lbdemo", &output), 1) << output;
    EXPECT_NE(output.find("lantern-blade: the demo differs at frame "), std::string::npos) << output;

    // Another stage: the first enemy stands elsewhere.
    std::string enemies = test::ReadFile("txt/en.txt");
    enemies[enemies.find_first_of("123456789")] = '0';
    test::WriteFile("txt/en.txt", enemies);
    EXPECT_EQ(Verify("ring.lbdemo", &output), 2) << output;
    EXPECT_NE(output.find("another stage"), std::string::npos) << output;
}

TEST(Demo, AClearKeepsItsDemoWhichVerifiesAndAnEntryPushedOutLosesIts) {
    whole::GameRun run([] {
        test::WriteFile("txt/Ranking/demos/3200.lbdemo", "kept");
        test::WriteFile("txt/Ranking/demos/500.lbdemo", "pushed out");
        test::WriteFile("txt/Ranking/demos/notes.txt", "the player's own");
        StartRecording();
    });
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY) && whole::PlayRoute(run));
    ASSERT_TRUE(run.UntilScene(SCENE_RESULT));
    const std::string score = std::to_string(RING_SCORE);
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), score + ",3200,2400,1600,1000,");
    EXPECT_EQ(test::ReadFile("txt/Ranking/demos/3200.lbdemo"), "kept");
    EXPECT_EQ(test::ReadFile("txt/Ranking/demos/notes.txt"), "the player's own");
    EXPECT_FALSE(fs::exists("txt/Ranking/demos/500.lbdemo"));

    std::string output;
    EXPECT_EQ(Verify("txt/Ranking/demos/" + score + "-0.lbdemo", &output), 0) << output;
    EXPECT_NE(output.find("clear 1: play time 2561 ms, score " + score), std::string::npos) << output;
}

// A machine up for days: the clock's first reading is where it stood, not time played,
// so the run is kept and verifies.
TEST(Demo, AClearOnAMachineUpForDaysKeepsItsDemo) {
    whole::GameRun run([] {
        headless::SetTime(4ull * 24 * 3600 * 1000);
        StartRecording();
    });
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY) && whole::PlayRoute(run));
    ASSERT_TRUE(run.UntilScene(SCENE_RESULT));
    std::string output;
    EXPECT_EQ(Verify("txt/Ranking/demos/" + std::to_string(RING_SCORE) + "-0.lbdemo", &output), 0) << output;
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
    const std::string demo = "txt/Ranking/demos/" + std::to_string(RING_SCORE) + "-0.lbdemo";
    EXPECT_FALSE(fs::exists(demo));
    ::close(otherGame);
    FinishWaitingSave();
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt").rfind(std::to_string(RING_SCORE) + ",", 0), 0u);
    std::string output;
    EXPECT_EQ(Verify(demo, &output), 0) << output;
    EXPECT_NE(output.find("clear 1: play time 2561 ms"), std::string::npos) << output;
}

const std::string BEST_DEMO = "txt/Ranking/demos/" + std::to_string(RING_SCORE) + "-0.lbdemo";

// The golden run's demo kept as first place's.
void KeepBestDemo() {
    test::WriteFile("txt/Ranking/Ranking.txt", std::to_string(RING_SCORE) + ",2400,1600,1000,500,");
    fs::create_directories("txt/Ranking/demos");
    fs::copy_file(whole::KEPT_DEMO, BEST_DEMO);
}

// --export writes a place's kept run whole, replacing a link planted at the name rather
// than writing through it; a place that keeps no run of its score, or no place, is refused.
TEST(Demo, ExportWritesAPlacesRunOrSaysWhyNot) {
    test::ScratchDir dir;
    test::CopyRealData();
    KeepBestDemo();
    test::WriteFile("precious", "the player's own");
    fs::create_symlink(fs::absolute("precious"), "sent.lbdemo");
    std::string output;
    EXPECT_EQ(RunBinary({"--export", "1", "sent.lbdemo"}, &output), 0) << output;
    EXPECT_EQ(test::ReadFile("sent.lbdemo"), test::ReadFile(BEST_DEMO));
    EXPECT_EQ(test::ReadFile("precious"), "the player's own");
    EXPECT_EQ(Verify("sent.lbdemo", &output), 0) << output;

    for (const std::vector<std::string>& refused : std::vector<std::vector<std::string>>{
             {"--export", "2", "other.lbdemo"}, {"--export", "6", "other.lbdemo"}, {"--export", "1"}}) {
        EXPECT_EQ(RunBinary(refused, &output), 2) << output;
        EXPECT_EQ(output.rfind("lantern-blade: ", 0), 0u) << output;
        EXPECT_FALSE(fs::exists("other.lbdemo"));
    }
    EXPECT_NE(output.find("--export needs a place"), std::string::npos) << output;
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
    const pid_t recorder = fork();
    if (recorder == 0) {
        play(recording);
        _exit(testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    waitpid(recorder, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    Demo demo;
    std::string why;
    EXPECT_TRUE(ReadDemoFile(recording, &demo, &why)) << why;
    return demo;
}

// Records a run that presses Z on the ranking screen with first place's demo kept, then
// again once it is swapped for the demo of another score, and writes the run to
// `recording`.
void WatchFromTheRanking(const std::string& recording) {
    whole::GameRun run([] {
        KeepBestDemo();
        StartRecording(true);
    });
    // From the play through the pause menu's third item to the title, then its second.
    ASSERT_TRUE(run.UntilScene(SCENE_PLAY) && run.Hold('X', 1) && run.UntilScene(SCENE_PAUSE) &&
                Choose(run, 2, SCENE_TITLE) && Choose(run, 1, SCENE_RANKING) && run.Frames(30));
    EXPECT_TRUE(headless::DemosShown().empty());
    const std::uint64_t before = GameClockMs(headless::Now());
    ASSERT_TRUE(run.Hold('Z', 1) && run.Frames(1));
    EXPECT_EQ(headless::DemosShown(), std::vector<std::string>{fs::absolute(BEST_DEMO).string()});
    EXPECT_LT(GameClockMs(headless::Now()) - before, 100u);
    ASSERT_TRUE(run.Hold('S', 1) && run.Frames(1));
    EXPECT_EQ(headless::DemosSent(), std::vector<std::string>{fs::absolute(BEST_DEMO).string()});

    // The same run, recorded as having scored one point less.
    const Demo other = whole::Edited(KeptDemo(), [](const DemoRecord& record) { return record.tag == TAG_CLEAR; },
                                     whole::ClearRecord(RING_PLAY_TIME, RING_SCORE - 1));
    test::WriteFile(BEST_DEMO, EncodeDemo(other));
    ASSERT_TRUE(run.Frames(1) && run.Hold('Z', 1) && run.Frames(5) && run.Hold('S', 1) && run.Frames(5));
    EXPECT_EQ(headless::DemosShown().size(), 1u);
    EXPECT_EQ(headless::DemosSent().size(), 1u);
    EXPECT_EQ(g_scene, SCENE_RANKING);
    ASSERT_TRUE(run.PressUntil('X', [] { return g_scene == SCENE_TITLE; }));
    test::WriteFile(recording, DemoRecordingBytes(false));
}

// Z on the ranking screen shows first place's demo, the game's clock standing still
// meanwhile, and S sends it to the world ranking; a demo that did not score the entry's
// score is neither shown nor sent. A replay of that run passes over all of them.
TEST(Demo, ZOnTheRankingWatchesTheBestRunAndAReplayPassesOverIt) {
    test::ScratchDir dir;
    const Demo watched = RecordedApart(fs::absolute("watched.lbdemo").string(), WatchFromTheRanking);
    ASSERT_FALSE(testing::Test::HasFailure());
    test::CopyRealData();
    KeepBestDemo();
    std::string why;
    ASSERT_TRUE(StartReplay(watched, false, false));
    test::StartGame();
    while (!DemoReplayOver() && DemoDifference() < 0 && !test::Turn()) {
    }
    EXPECT_EQ(DemoDifference(&why), -1) << why;
    EXPECT_TRUE(DemoReplayOver());
    EXPECT_TRUE(headless::DemosShown().empty());
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

}  // namespace
