// Demos: the kept demo of the golden run played back against the golden frames, the game
// binary's --verify on it and on spoilt copies, and the demos the ranking keeps.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/demo_run.h"
#include "game/scene_state.h"
#include "platform/demo/demo.h"
#include "platform/headless/headless.h"
#include "platform/win32.h"
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

// The game binary's --verify of the demo in the working folder: its exit code and output.
int Verify(const std::string& demoPath, std::string* output) {
    const std::string log = (fs::current_path() / "verify.log").string();
    fs::remove(log);
    e2e::Process game({LB_BINARY_DIR "/lantern-blade", "--verify", demoPath}, log);
    const int code = game.Wait(std::chrono::minutes(2));
    *output = test::ReadFile("verify.log");
    return code;
}

void WriteDemo(const std::string& path, const Demo& demo) {
    test::WriteFile(path, EncodeDemo(demo));
}

TEST(Demo, TheKeptDemoPlaysBackToTheGoldenFramesAndScore) {
    test::ScratchDir dir;
    test::CopyRealData();
    const std::string ranking = test::ReadFile("txt/Ranking/Ranking.txt");
    StartReplay(KeptDemo(), false, false);
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
    Demo edited = kept;
    std::size_t at = 0;
    while (at < edited.stream.size() &&
           !(edited.stream[at] == TAG_KEY && edited.stream[at + 1] == VK_RIGHT)) {
        at = NextRecord(edited.stream, at);
    }
    ASSERT_LT(at, edited.stream.size());
    edited.stream[at + 1] = VK_UP;
    WriteDemo("edited.lbdemo", edited);
    EXPECT_EQ(Verify("edited.lbdemo", &output), 1) << output;
    EXPECT_NE(output.find("the demo differs at frame "), std::string::npos) << output;

    // Another stage: the first enemy stands elsewhere.
    std::string enemies = test::ReadFile("txt/en.txt");
    enemies[enemies.find_first_of("123456789")] = '0';
    test::WriteFile("txt/en.txt", enemies);
    EXPECT_EQ(Verify("ring.lbdemo", &output), 1) << output;
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
    EXPECT_EQ(Verify("txt/Ranking/demos/" + score + ".lbdemo", &output), 0) << output;
    EXPECT_NE(output.find("clear 1: play time 2561 ms, score " + score), std::string::npos) << output;
}

}  // namespace
