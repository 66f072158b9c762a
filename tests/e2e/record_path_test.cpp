// Where --record writes, run by an ordinary player (root ignores file modes) against links
// another user planted in a shared folder such as /tmp.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/display.h"
#include "tests/support/harness.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr uid_t OTHER_USER = 1;  // daemon: neither the player nor root

class RecordPath : public ::testing::Test {
protected:
    RecordPath() {
        test::CopyRealData();
        ::setenv("HOME", dir_.Path().c_str(), 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "SDL_VIDEODRIVER",
                                 "WAYLAND_DISPLAY", "DISPLAY"}) {
            ::unsetenv(name);
        }
    }

    void SetUp() override {
        if (!e2e::CanRunDisplay()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    }

    // The game as the player (nobody, when the tests run as root), recording in `path`.
    std::unique_ptr<e2e::Process> Record(const std::string& path) const {
        std::vector<std::string> argv;
        if (::geteuid() == 0) argv = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
        argv.insert(argv.end(), {LB_BINARY_DIR "/lantern-blade", "--windowed", "--record", path});
        return std::make_unique<e2e::Process>(argv, Log());
    }
    std::string Log() const { return (dir_.Path() / "game.log").string(); }
    std::string Output() const { return test::ReadFile(Log()); }

    test::ScratchDir dir_;
};

// The player's own file, and links to it planted by another user in a shared sticky folder
// under two spellings of one name. The exact name is refused before the game starts (exit
// 2); a name differing in case is a file of its own, recorded at the end. The player's
// file keeps its bytes throughout.
TEST_F(RecordPath, ALinkPlantedByAnotherUserKeepsItsTargetsBytes) {
    test::WriteFile("precious", "the player's own");
    fs::create_directory("shared");
    ASSERT_EQ(::chmod("shared", 01777), 0);
    fs::create_symlink(dir_.Path() / "precious", "shared/MyRun.lbdemo");
    if (::geteuid() == 0) {
        ASSERT_EQ(::lchown("shared/MyRun.lbdemo", OTHER_USER, OTHER_USER), 0);
        ASSERT_EQ(std::system(("chown nobody:nogroup " + dir_.Path().string() + " precious").c_str()), 0);
        ASSERT_EQ(std::system("chown -R nobody:nogroup bmp txt *.mid *.wav"), 0);
    }

    auto refused = Record((dir_.Path() / "shared/MyRun.lbdemo").string());
    EXPECT_EQ(refused->Wait(20s), 2) << Output();
    EXPECT_NE(Output().find("cannot record the run in"), std::string::npos) << Output();

    e2e::VirtualDisplay display((dir_.Path() / "xvfb.log").string());
    ASSERT_TRUE(display.Ready());
    ::setenv("DISPLAY", display.Name().c_str(), 1);
    auto game = Record((dir_.Path() / "shared/myrun.lbdemo").string());
    ASSERT_TRUE(display.WaitForWindow("Lantern Blade", 30s)) << Output();
    game->Signal(SIGHUP);
    EXPECT_EQ(game->Wait(20s), 0) << Output();
    ::unsetenv("DISPLAY");

    EXPECT_EQ(test::ReadFile("precious"), "the player's own");
    EXPECT_TRUE(fs::is_symlink("shared/MyRun.lbdemo"));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status("shared/myrun.lbdemo")));
    EXPECT_GT(fs::file_size("shared/myrun.lbdemo"), 0u) << Output();
}

}  // namespace
