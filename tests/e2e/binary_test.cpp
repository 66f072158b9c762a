// The real game binary on a private X server with silent audio, in a copy of the data
// tree: it opens its window and shows the play, Escape and a window manager's close both
// end it with exit code 0, and without any display it says so in one line and exits
// with 1. Every wait has a deadline; a stuck game is killed with its process group.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/e2e/display.h"
#include "tests/support/harness.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto EXIT_TIMEOUT = 20s;
const std::string GAME = LB_BINARY_DIR "/lantern-blade";

class GameBinary : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(GAME)) << GAME << " is missing: build the lantern-blade target";
        test::CopyRealData();
    }

    // Starts the game on the display named, or on none.
    void Start(const std::string& display) {
        game_ = std::make_unique<e2e::Process>(std::vector<std::string>{GAME},
                                               e2e::Environment{{"SDL_AUDIODRIVER", "dummy"},
                                                                {"SDL_VIDEODRIVER", ""},
                                                                {"WAYLAND_DISPLAY", ""},
                                                                {"DISPLAY", display}},
                                               dir_.Path().string(), Log("game.log"));
        ASSERT_TRUE(game_->Started());
    }

    std::string Log(const char* name) const { return (dir_.Path() / name).string(); }
    std::string Output() const { return test::ReadFile(Log("game.log")); }

    test::ScratchDir dir_;
    std::unique_ptr<e2e::Process> game_;
};

class GameOnDisplay : public GameBinary {
protected:
    void SetUp() override {
        for (const std::string tool : {"Xvfb", "xdotool"}) {
            if (std::system(("command -v " + tool + " >/dev/null").c_str()) != 0) {
                GTEST_SKIP() << tool << " is not installed";
            }
        }
        GameBinary::SetUp();
        if (HasFatalFailure()) return;
        display_ = std::make_unique<e2e::VirtualDisplay>(Log("xvfb.log"));
        ASSERT_TRUE(display_->Ready()) << test::ReadFile(Log("xvfb.log"));
        Start(display_->Name());
        window_ = display_->WaitForWindow("Lantern Blade", 30s);
        ASSERT_NE(window_, "") << "no window; game output: " << Output();
    }

    void TearDown() override { game_.reset(); }  // the game goes before its server

    std::unique_ptr<e2e::VirtualDisplay> display_;
    std::string window_;
};

TEST_F(GameOnDisplay, ShowsThePlayAndEndsWithCodeZeroOnEscape) {
    // The play view is dark but for the lantern disc and the overview; a screen that
    // stays black means nothing is presented.
    // The first frames may still be black while the stage loads (slowly under the
    // sanitizers), so the picture gets a while to appear.
    constexpr long PLAY_LIT = 640 * 480 / 50;
    long lit = 0;
    for (int attempt = 0; attempt < 100 && lit <= PLAY_LIT; ++attempt) {
        lit = display_->LitPixels();
        if (lit <= PLAY_LIT) std::this_thread::sleep_for(200ms);
    }
    EXPECT_GT(lit, PLAY_LIT) << "the screen stays black";
    ASSERT_TRUE(display_->PressKey("Escape"));
    EXPECT_EQ(game_->Wait(EXIT_TIMEOUT), 0) << Output();
    EXPECT_TRUE(fs::exists("txt/Ranking/Ranking2.txt"));
}

TEST_F(GameOnDisplay, ClosingTheWindowEndsWithCodeZero) {
    ASSERT_TRUE(display_->SendDeleteWindow(window_)) << "cannot reach the X server";
    EXPECT_EQ(game_->Wait(EXIT_TIMEOUT), 0) << Output();
}

// The X server dies under the game (a crash, the session ended): the game ends at once
// with one line and code 1 instead of spinning on the dead connection, its ranking whole.
// It takes some 50 ms; the deadline only has to tell an end from a spin.
TEST_F(GameOnDisplay, ALostDisplayEndsTheGameAtOnceWithItsRankingWhole) {
    const std::string ranking = test::ReadFile("txt/Ranking/Ranking.txt");
    std::this_thread::sleep_for(500ms);
    display_->Kill();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(game_->Wait(5s), 1) << Output();
    std::printf("ended %lld ms after the server was killed\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - start)
                                           .count()));
    EXPECT_EQ(Output(), "lantern-blade: the connection to the display was lost\n");
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), ranking);
}

// No game data where it is started nor beside the binary: one line naming the folders
// looked in, and code 1.
TEST_F(GameBinary, WithoutGameDataSaysWhereItLookedAndExitsWithOne) {
    fs::remove_all("bmp");
    Start("");
    EXPECT_EQ(game_->Wait(EXIT_TIMEOUT), 1) << Output();
    const std::string output = Output();
    EXPECT_EQ(output.find('\n'), output.size() - 1) << output;
    EXPECT_NE(output.find("no game data (a bmp folder) in " + dir_.Path().string()), std::string::npos) << output;
}

TEST_F(GameBinary, WithoutADisplayPrintsOneLineAndExitsWithOne) {
    Start("");
    EXPECT_EQ(game_->Wait(EXIT_TIMEOUT), 1) << Output();
    const std::string output = Output();
    ASSERT_FALSE(output.empty());
    EXPECT_EQ(output.find('\n'), output.size() - 1) << output;
    EXPECT_NE(output.find("display"), std::string::npos) << output;
}

}  // namespace
