// The real game binary in a copy of the data tree, its mix written by SDL's disk audio
// driver (44.1 kHz signed 16-bit stereo) and measured. Every wait has a deadline; a stuck
// game is killed with its process group.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/display.h"
#include "tests/support/harness.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class GameBinary : public ::testing::Test {
protected:
    GameBinary() { test::CopyRealData(); }

    // Starts the game with the options on the display named, or on none.
    void Start(const std::string& display, const std::vector<std::string>& options = {}) {
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", Log("capture.raw").c_str(), 1);
        for (const char* name : {"SDL_VIDEODRIVER", "WAYLAND_DISPLAY", "DISPLAY"}) ::unsetenv(name);
        if (!display.empty()) ::setenv("DISPLAY", display.c_str(), 1);
        std::vector<std::string> argv{LB_BINARY_DIR "/lantern-blade"};
        argv.insert(argv.end(), options.begin(), options.end());
        game_ = std::make_unique<e2e::Process>(argv, Log("game.log"));
        ASSERT_TRUE(game_->Started());
    }

    std::string Log(const char* name) const { return (dir_.Path() / name).string(); }
    std::string Output() const { return test::ReadFile(Log("game.log")); }

    test::ScratchDir dir_;
    std::unique_ptr<e2e::Process> game_;
};

// The loudest sample of each millisecond (left and right alike); *clipped counts the
// samples at full scale.
std::vector<int> Envelope(const std::string& capture, long* clipped) {
    std::ifstream in(capture, std::ios::binary);
    std::vector<std::int16_t> samples(44 * 2);
    std::vector<int> envelope;
    *clipped = 0;
    while (in.read(reinterpret_cast<char*>(samples.data()), samples.size() * 2)) {
        int loudest = 0;
        for (std::int16_t sample : samples) {
            loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
            *clipped += sample >= 32767 || sample <= -32767;
        }
        envelope.push_back(loudest);
    }
    return envelope;
}

// Where the first four rounds of a one-second piece begin, in ms: where the note sounds
// after a quiet stretch (the tail of the round before has died away).
std::vector<int> RoundStarts(const std::vector<int>& envelope) {
    std::vector<int> starts;
    for (std::size_t ms = 60; ms < envelope.size() && starts.size() < 4; ++ms) {
        const int before = *std::max_element(envelope.begin() + ms - 60, envelope.begin() + ms - 20);
        const bool due = starts.empty() || static_cast<int>(ms) >= starts.back() + 1000 - 5;
        if (due && envelope[ms] > 300 && before < 100) starts.push_back(static_cast<int>(ms));
    }
    return starts;
}

// The battle piece replaced by a one-second piece (an organ note for its first half, its
// last event at 1.0 s) loops at once and swings over it never clip. Then the X server dies
// under the game (a crash, the session ended): the game ends at once with a line and
// code 1 instead of spinning on the dead connection, its ranking whole and the run it
// recorded written.
TEST_F(GameBinary, LoopsItsMusicAtOnceWithoutClippingAndEndsAtOnceWhenTheDisplayIsLost) {
    if (!e2e::CanRunDisplay()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    std::ofstream("BATTLE03.mid", std::ios::binary) << test::OrganNote(480, 960);
    const std::string ranking = test::ReadFile("txt/Ranking/Ranking.txt");
    e2e::VirtualDisplay display(Log("xvfb.log"));
    ASSERT_TRUE(display.Ready()) << test::ReadFile(Log("xvfb.log"));
    Start(display.Name(), {"--record", Log("run.lbdemo")});
    ASSERT_TRUE(display.WaitForWindow("Lantern Blade", 30s)) << "no window; game output: " << Output();

    // The piece loops alone for its first rounds (the stage may load slowly under the
    // sanitizers), then swings sound over it.
    long clipped = 0;
    std::vector<int> starts;
    for (int wait = 0; wait < 100 && starts.size() < 4; ++wait) {
        std::this_thread::sleep_for(200ms);
        starts = RoundStarts(Envelope(Log("capture.raw"), &clipped));
    }
    ASSERT_EQ(starts.size(), 4u) << "the piece does not restart";
    for (int swing = 0; swing < 4; ++swing) ASSERT_TRUE(display.PressKey("z"));

    display.Kill();
    EXPECT_EQ(game_->Wait(5s), 1) << Output();
    // Before the lines only SDL's note that it writes the mix to a file.
    const std::string output = Output();
    const std::string said = output.substr(std::min(output.find("lantern-blade:"), output.size()));
    EXPECT_EQ(said.rfind("lantern-blade: the connection to the display was lost\n"
                         "lantern-blade: the run is recorded in " + Log("run.lbdemo"), 0),
              0u)
        << output;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << output;
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), ranking);
    EXPECT_GT(fs::file_size(Log("run.lbdemo")), 0u);

    Envelope(Log("capture.raw"), &clipped);
    EXPECT_EQ(clipped, 0);
    // The engine restarts within 50 ms of the previous round's last event (the best of
    // three; on a busy machine the loop itself may send a play late), and never waits for
    // the synthesizer's release tails, which last seconds.
    std::vector<int> gaps;
    for (std::size_t round = 1; round < starts.size(); ++round) {
        gaps.push_back(starts[round] - starts[round - 1] - 1000);
    }
    EXPECT_LE(*std::min_element(gaps.begin(), gaps.end()), 50) << testing::PrintToString(gaps);
    EXPECT_LT(*std::max_element(gaps.begin(), gaps.end()), 1000) << testing::PrintToString(gaps);
}

// Without any display, and then without game data where it is started nor beside the
// binary: one line saying so (the second naming the folder looked in), and code 1.
TEST_F(GameBinary, WithoutADisplayOrGameDataSaysSoInOneLineAndExitsWithOne) {
    for (const std::string& said : {std::string("display"), "no game data (a bmp folder) in " + dir_.Path().string()}) {
        if (said != "display") fs::remove_all("bmp");
        fs::remove(Log("game.log"));
        Start("");
        EXPECT_EQ(game_->Wait(20s), 1) << Output();
        const std::string output = Output();
        EXPECT_EQ(output.find('\n'), output.size() - 1) << output;
        EXPECT_NE(output.find(said), std::string::npos) << output;
    }
}

// Started where a copy of the data is, the game keeps its scores there, and its usage
// says so rather than naming the per-user folder of an installed game.
TEST_F(GameBinary, TheUsageNamesTheScoresFolderOfThisStart) {
    Start("", {"--help"});
    ASSERT_EQ(game_->Wait(20s), 0) << Output();
    EXPECT_NE(Output().find("Scores:   " + (dir_.Path() / "txt/Ranking/").string() + "\n"), std::string::npos)
        << Output();
}

// A soundfont and a frame log named in the environment that are FIFOs hold nothing up:
// the game passes over the one, says so of the other and plays on, presenting frames. A
// hang-up then ends it in order, with code 0.
TEST_F(GameBinary, FifosNamedInTheEnvironmentHoldNothingAndAHangUpEndsTheGameInOrder) {
    if (!e2e::CanRunDisplay()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    for (const char* fifo : {"font.sf2", "frames"}) ASSERT_EQ(::mkfifo(Log(fifo).c_str(), 0600), 0);
    ::setenv("LANTERN_BLADE_SOUNDFONT", Log("font.sf2").c_str(), 1);
    ::setenv("LANTERN_BLADE_FRAME_LOG", Log("frames").c_str(), 1);
    e2e::VirtualDisplay display(Log("xvfb.log"));
    ASSERT_TRUE(display.Ready()) << test::ReadFile(Log("xvfb.log"));
    Start(display.Name());
    ASSERT_TRUE(display.WaitForWindow("Lantern Blade", 30s)) << "no window; game output: " << Output();
    for (int wait = 0; wait < 100 && Output().find("no frame log") == std::string::npos; ++wait) {
        std::this_thread::sleep_for(100ms);
    }
    game_->Signal(SIGHUP);
    EXPECT_EQ(game_->Wait(10s), 0) << Output();
    EXPECT_NE(Output().find("lantern-blade: no frame log: frames is not a regular file\n"), std::string::npos)
        << Output();
    ::unsetenv("LANTERN_BLADE_SOUNDFONT");
    ::unsetenv("LANTERN_BLADE_FRAME_LOG");
}

}  // namespace
