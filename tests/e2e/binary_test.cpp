// The real game binary on a private X server with silent audio: it opens its window and
// shows the play, Escape and a window manager's close both end it with exit code 0, and
// without any display it says so in one line and exits with 1. Every wait has a hard
// deadline; a stuck game is killed with its whole process group.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "tests/e2e/display.h"
#include "tests/e2e/process.h"
#include "tests/support/harness.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto WINDOW_TIMEOUT = 30s;
constexpr auto EXIT_TIMEOUT = 20s;
const std::string GAME = LB_BINARY_DIR "/lantern-blade";
const std::string TITLE = "Direct X";

class GameBinary : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(GAME)) << GAME << " is missing: build the lantern-blade target";
        test::CopyRealData();
    }

    e2e::Environment GameEnvironment() const {
        e2e::Environment environment = e2e::CurrentEnvironment();
        environment["SDL_AUDIODRIVER"] = "dummy";
        environment.erase("SDL_VIDEODRIVER");
        environment.erase("WAYLAND_DISPLAY");
        environment.erase("DISPLAY");
        return environment;
    }

    std::string Log(const char* name) const { return (dir_.Path() / name).string(); }

    test::ScratchDir dir_;
};

class GameOnDisplay : public GameBinary {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool"}) {
            if (e2e::FindProgram(tool).empty()) GTEST_SKIP() << tool << " is not installed";
        }
        GameBinary::SetUp();
        if (HasFatalFailure()) return;
        display_ = std::make_unique<e2e::VirtualDisplay>(Log("xvfb.log"));
        ASSERT_TRUE(display_->Ready()) << test::ReadFile(Log("xvfb.log"));
        game_ = std::make_unique<e2e::Process>(std::vector<std::string>{GAME},
                                               display_->With(GameEnvironment()),
                                               dir_.Path().string(), Log("game.log"));
        ASSERT_TRUE(game_->Started());
        window_ = display_->WaitForWindow(TITLE, WINDOW_TIMEOUT);
        ASSERT_NE(window_, "") << "no window; game output: " << test::ReadFile(Log("game.log"));
    }

    // Waits for the game's end; on timeout it is killed and -1 returned.
    int ExitCode() {
        int code = -1;
        if (!game_->Wait(EXIT_TIMEOUT, &code)) {
            game_->Kill();
            ADD_FAILURE() << "the game did not end; output: " << test::ReadFile(Log("game.log"));
        }
        return code;
    }

    // Declared after the display so that the game goes before its server.
    std::unique_ptr<e2e::VirtualDisplay> display_;
    std::unique_ptr<e2e::Process> game_;
    std::string window_;
};

TEST_F(GameOnDisplay, ShowsThePlayAndEndsWithCodeZeroOnEscape) {
    // The play view is dark but for the lantern disc and the overview; a screen that
    // stays black means nothing is presented.
    long lit = 0;
    for (int attempt = 0; attempt < 50 && lit <= 0; ++attempt) {
        lit = display_->LitPixels();
        if (lit <= 0) std::this_thread::sleep_for(200ms);
    }
    EXPECT_GT(lit, 640 * 480 / 50) << "the screen stays black";

    ASSERT_TRUE(display_->PressKey("Escape"));
    EXPECT_EQ(ExitCode(), 0) << test::ReadFile(Log("game.log"));
    EXPECT_TRUE(fs::exists("txt/Ranking/Ranking2.txt"));
}

TEST_F(GameOnDisplay, ClosingTheWindowEndsWithCodeZero) {
    ASSERT_TRUE(display_->SendDeleteWindow(window_)) << "cannot reach the X server";
    EXPECT_EQ(ExitCode(), 0) << test::ReadFile(Log("game.log"));
}

TEST_F(GameBinary, WithoutADisplayPrintsOneLineAndExitsWithOne) {
    e2e::Process game({GAME}, GameEnvironment(), dir_.Path().string(), Log("game.log"));
    int code = -1;
    if (!game.Wait(EXIT_TIMEOUT, &code)) {
        game.Kill();
        FAIL() << "the game did not end without a display";
    }
    EXPECT_EQ(code, 1);
    const std::string output = test::ReadFile(Log("game.log"));
    ASSERT_FALSE(output.empty());
    EXPECT_EQ(output.find('\n'), output.size() - 1) << output;
    EXPECT_NE(output.find("display"), std::string::npos) << output;
}

}  // namespace
