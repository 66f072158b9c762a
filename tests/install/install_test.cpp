// The installed tree runs: `cmake --install` of this build into a scratch prefix, the
// installed launcher (or the game binary itself) started under Xvfb and ended with
// Escape. The game must play from the per-user copy of its data and write its scores
// there and nowhere else; the installed tree is never written.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "tests/support/harness.h"

namespace fs = std::filesystem;

namespace {

const std::string INSTALLED_RANKING = "3200,2400,1600,1000,500,";

bool HasCommand(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

int ExitCodeOf(int status) {
    return (status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// Every file of the tree with its contents.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), root).string()] = test::ReadFile(entry.path().string());
        }
    }
    return files;
}

// Names of the files added, removed or changed between two snapshots.
std::vector<std::string> Changed(const std::map<std::string, std::string>& before,
                                 const std::map<std::string, std::string>& after) {
    std::vector<std::string> names;
    for (const auto& [name, contents] : before) {
        const auto found = after.find(name);
        if (found == after.end() || found->second != contents) names.push_back(name);
    }
    for (const auto& [name, contents] : after) {
        if (!before.contains(name)) names.push_back(name);
    }
    return names;
}

class InstalledGame : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"cmake", "xvfb-run", "xdotool", "timeout"}) {
            if (!HasCommand(tool)) GTEST_SKIP() << tool << " is not installed";
        }
        if (!fs::exists(fs::path(LB_BINARY_DIR) / "lantern-blade")) {
            GTEST_SKIP() << "the game is not built in " << LB_BINARY_DIR;
        }
        prefix_ = scratch_.Path() / "prefix";
        home_ = scratch_.Path() / "home";
        elsewhere_ = scratch_.Path() / "elsewhere";
        fs::create_directories(home_);
        fs::create_directories(elsewhere_);
        const std::string install = "cmake --install " + Quoted(LB_BINARY_DIR) + " --prefix " +
                                    Quoted(prefix_) + " >/dev/null";
        ASSERT_EQ(ExitCodeOf(std::system(install.c_str())), 0) << install;
        ASSERT_TRUE(fs::exists(prefix_ / "bin" / "lantern-blade"));
    }

    // Starts the installed launcher (or another installed program) from an unrelated
    // folder, presses Escape every half second until the game ends, and gives its exit
    // code (-1 when it never started or had to be stopped). An empty xdgDataHome leaves
    // XDG_DATA_HOME unset.
    int RunLauncher(const fs::path& xdgDataHome, const char* program = "bin/lantern-blade") {
        const std::string xdg =
            xdgDataHome.empty() ? "-u XDG_DATA_HOME" : "XDG_DATA_HOME=" + Quoted(xdgDataHome);
        const fs::path script = scratch_.Path() / "run.sh";
        test::WriteFile(script.string(),
                        Quoted(prefix_ / program) + " & game=$!\n"
                        "( for i in $(seq 1 60); do sleep 0.5; xdotool key Escape; done ) "
                        ">/dev/null 2>&1 & keys=$!\n"
                        "wait $game; code=$?\n"
                        "kill $keys 2>/dev/null\n"
                        "exit $code\n");
        const std::string command = "cd " + Quoted(elsewhere_) + " && env -u SDL_VIDEODRIVER " +
                                    xdg + " HOME=" + Quoted(home_) +
                                    " SDL_AUDIODRIVER=dummy timeout -k 5 90 xvfb-run -a -s "
                                    "'-screen 0 640x480x24' sh " + Quoted(script) + " >/dev/null 2>&1";
        return ExitCodeOf(std::system(command.c_str()));
    }

    test::ScratchDir scratch_;
    fs::path prefix_;
    fs::path home_;
    fs::path elsewhere_;
};

// The game binary started directly plays from the installed data and writes nothing; the
// launcher then plays from the per-user copy.
TEST_F(InstalledGame, PlaysFromAPerUserCopyAndWritesScoresNowhereElse) {
    const auto installed = Snapshot(prefix_);
    ASSERT_EQ(RunLauncher(scratch_.Path() / "direct", "libexec/lantern-blade"), 0);
    const fs::path xdg = scratch_.Path() / "xdg";
    ASSERT_EQ(RunLauncher(xdg), 0);

    const fs::path copy = xdg / "lantern-blade";
    EXPECT_EQ(test::ReadFile((copy / "txt/Ranking/Ranking2.txt").string()), INSTALLED_RANKING);
    EXPECT_EQ(Changed(installed, Snapshot(prefix_)), std::vector<std::string>{})
        << "the installed tree was written";
    EXPECT_TRUE(fs::is_empty(elsewhere_)) << "the working directory was written";
    for (const auto& [name, contents] : Snapshot(home_)) EXPECT_EQ(name.find("Ranking"), std::string::npos) << name;
}

// Without XDG_DATA_HOME the copy lives in ~/.local/share. A copy with a file lost and
// another damaged gets both back on the next start; the player's scores and own files
// stay as they are.
TEST_F(InstalledGame, ADamagedCopyIsRepairedKeepingThePlayersScores) {
    ASSERT_EQ(RunLauncher({}), 0);
    const fs::path copy = home_ / ".local/share/lantern-blade";
    const std::string map = test::ReadFile((copy / "txt/Map/Map.txt").string());
    ASSERT_FALSE(map.empty());

    test::WriteFile((copy / "txt/Ranking/Ranking.txt").string(), "9000,8000,7000,6000,5000,");
    test::WriteFile((copy / "txt/Map/Map.txt").string(), std::string(map.size(), '9'));
    test::WriteFile((copy / "notes.txt").string(), "mine");
    fs::remove(copy / "bmp/Map.bmp");

    ASSERT_EQ(RunLauncher({}), 0);
    EXPECT_EQ(test::ReadFile((copy / "txt/Ranking/Ranking2.txt").string()),
              "9000,8000,7000,6000,5000,");
    EXPECT_EQ(test::ReadFile((copy / "txt/Map/Map.txt").string()), map);
    EXPECT_EQ(Changed(Snapshot(prefix_ / "share/lantern-blade/data"), Snapshot(copy)),
              (std::vector<std::string>{"txt/Ranking/Ranking.txt", "notes.txt",
                                        "txt/Ranking/Ranking.txt.lock", "txt/Ranking/Ranking2.txt"}));
    // Beside the copy only the launchers' lock: no half-made or old copy.
    EXPECT_EQ(std::distance(fs::directory_iterator(home_ / ".local/share"), fs::directory_iterator()), 2);
}

}  // namespace
