// The two Debian packages of this build, made by CPack, checked (control fields, paths,
// copyright, lintian where installed), unpacked to a scratch root, and the installed game
// played there under Xvfb by an ordinary user with a scratch home.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/harness.h"

namespace fs = std::filesystem;

namespace {

// The command's exit code, its output (stdout and stderr) in *output if given.
int Shell(const std::string& command, std::string* output = nullptr) {
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return -1;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        if (output != nullptr) output->append(buffer, n);
    }
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

using test::Names;

// The file's lines that start with the prefix.
std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    }
    return lines;
}

// Runs a command line as an ordinary user when the tests run as root (root ignores file
// modes, and the installed tree must not be writable for a player), in a clean environment
// with the home given and the sanitizers' settings passed on.
std::string AsPlayer(const fs::path& home, const std::string& command) {
    std::string environment = "env -i PATH=/usr/bin:/bin LANG=C.UTF-8 SDL_AUDIODRIVER=dummy HOME=" + Quoted(home);
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) environment += std::string(" ") + name + "='" + value + "'";
    }
    const std::string user = ::geteuid() == 0 ? "setpriv --reuid=nobody --regid=nogroup --clear-groups " : "";
    return user + environment + " " + command;
}

// A quick player's route from the start, counted in frames (the game logs each one it
// presents), so that a slow or busy machine plays it alike: right to the pair east of the
// start and a swing, down to the one below and a swing, left across the rug to the pair in
// the west and a swing. Five kills clear the stage.
const std::string CLEAR_ROUTE =
    "at() { while :; do f=(); [ -e \"$LANTERN_BLADE_FRAME_LOG\" ] && mapfile -t f < \"$LANTERN_BLADE_FRAME_LOG\"; "
    "[ ${#f[@]} -ge $1 ] && return; sleep 0.005; done; }\n"
    "hold() { at $2; xdotool keydown $1; at $3; xdotool keyup $1; }\n"
    "hold Right 12 22; hold z 33 37; hold Down 49 59; hold z 70 74; hold Left 86 106; hold z 117 121\n";

class InstalledPackages : public ::testing::Test {
protected:
    void SetUp() override {
        std::string missing;
        Shell("for tool in cpack dpkg-deb dpkg xvfb-run xdotool timeout appstreamcli desktop-file-validate; do "
              "command -v $tool >/dev/null || echo $tool; done",
              &missing);
        if (!missing.empty()) GTEST_SKIP() << "not installed: " << missing;
        fs::permissions(scratch_.Path(), fs::perms::all & ~fs::perms::group_write & ~fs::perms::others_write);
        Shell("dpkg --print-architecture | tr -d '\\n'", &architecture_);
    }

    // A folder of the player's own.
    fs::path PlayerFolder(const char* name) const {
        const fs::path folder = scratch_.Path() / name;
        fs::create_directories(folder);
        if (::geteuid() == 0) Shell("chown nobody:nogroup " + Quoted(folder));
        return folder;
    }

    // Starts the installed game from an empty folder with that home on an X server without
    // a window manager; once its window shows, runs the shell commands given, then presses
    // Escape every half second until the game ends. Its exit code (-1 when it never ended);
    // what it wrote to stderr in *said.
    int Play(const fs::path& home, const std::string& then, std::string* said) {
        const fs::path folder = PlayerFolder("run");
        const fs::path script = folder / "play.sh";
        const fs::path errors = folder / "stderr";
        const fs::path frames = folder / "frames";
        test::WriteFile(script.string(),
                        "export LANTERN_BLADE_FRAME_LOG=" + Quoted(frames) + "\n" +
                            Quoted(root_ / "usr/games/lantern-blade") + " --windowed 2>" + Quoted(errors) +
                            " & game=$!\n"
                            "for i in $(seq 1 150); do xdotool search --name 'Lantern Blade' && break; sleep 0.2; "
                            "done\n" +
                            then + "( for i in $(seq 1 60); do xdotool key Escape; sleep 0.5; done ) & keys=$!\n" +
                            "wait $game; code=$?; kill $keys; exit $code\n");
        fs::remove(errors);
        const int code =
            Shell("cd " + Quoted(folder) + " && " +
                  AsPlayer(home, "timeout -k 5 150 xvfb-run -a -s '-screen 0 640x480x24' bash play.sh >/dev/null"));
        *said = test::ReadFile(errors.string());
        for (const fs::path& file : {script, errors, frames}) fs::remove(file);
        EXPECT_TRUE(fs::is_empty(folder)) << "the working directory was written";
        return code;
    }

    test::ScratchDir scratch_;
    std::string architecture_;
    fs::path root_ = scratch_.Path() / "root";
};

// Both packages hold what Debian wants where it wants it, lintian finds nothing to warn
// of, and the game unpacked from them plays a clear as an ordinary user: the installed tree
// stays as it was, and the player's folder holds the ranking files, no copy of the data.
// --help needs no home and writes nothing.
TEST_F(InstalledPackages, PlayAClearWithTheScoresKeptInThePlayersOwnFolder) {
    std::string log;
    const std::string cpack = "cpack -G DEB --config " + Quoted(LB_BINARY_DIR "/CPackConfig.cmake");
    ASSERT_EQ(Shell(cpack + " -B " + Quoted(scratch_.Path()), &log), 0) << log;
    const fs::path game = scratch_.Path() / ("lantern-blade_" LB_VERSION "_" + architecture_ + ".deb");
    const fs::path data = scratch_.Path() / "lantern-blade-data_" LB_VERSION "_all.deb";

    std::string gameInfo, dataInfo, gameFiles, dataFiles;
    ASSERT_EQ(Shell("dpkg-deb -f " + Quoted(game), &gameInfo), 0) << gameInfo << log;
    ASSERT_EQ(Shell("dpkg-deb -f " + Quoted(data), &dataInfo), 0) << dataInfo << log;
    ASSERT_EQ(Shell("dpkg-deb -c " + Quoted(game) + " | awk '{print $6}'", &gameFiles), 0);
    ASSERT_EQ(Shell("dpkg-deb -c " + Quoted(data) + " | awk '{print $6}'", &dataFiles), 0);
    const std::string maintainer = "Maintainer: Lantern Blade developers <lantern-blade@users.noreply.github.com>\n";
    for (const std::string& field : std::vector<std::string>{"Package: lantern-blade\n", "Architecture: " + architecture_ + "\n", "Section: games\n", maintainer,
          "Depends: lantern-blade-data (= " LB_VERSION "), ", "libsdl2-2.0-0", "libsdl2-mixer-2.0-0", "libpng16-16",
          "libfluidsynth3", "Recommends: timgm6mb-soundfont"}) {
        EXPECT_NE(gameInfo.find(field), std::string::npos) << field << " in\n" << gameInfo;
    }
    EXPECT_EQ(LinesStartingWith(gameInfo, "Depends:")[0].find("soundfont"), std::string::npos) << gameInfo;
    for (const std::string& field : std::vector<std::string>{"Package: lantern-blade-data\n", "Architecture: all\n", "Section: games\n",
                                     maintainer}) {
        EXPECT_NE(dataInfo.find(field), std::string::npos) << field << " in\n" << dataInfo;
    }
    std::vector<std::string> gamePaths = {"./usr/games/lantern-blade",
                                          "./usr/share/applications/lantern-blade.desktop",
                                          "./usr/share/metainfo/io.github.lanternblade.LanternBlade.metainfo.xml",
                                          "./usr/share/man/man6/lantern-blade.6.gz",
                                          "./usr/share/doc/lantern-blade/copyright",
                                          "./usr/share/doc/lantern-blade/changelog.gz"};
    for (const char* size : {"16x16", "32x32", "48x48", "64x64", "128x128", "256x256"}) {
        gamePaths.push_back(std::string("./usr/share/icons/hicolor/") + size + "/apps/lantern-blade.png");
    }
    for (const std::string& path : gamePaths) EXPECT_NE(gameFiles.find(path + "\n"), std::string::npos) << path;
    for (const char* path : {"./usr/share/games/lantern-blade/bmp/Map.bmp",
                             "./usr/share/games/lantern-blade/BATTLE03.mid",
                             "./usr/share/games/lantern-blade/txt/Ranking/Ranking.txt",
                             "./usr/share/doc/lantern-blade-data/copyright",
                             "./usr/share/doc/lantern-blade-data/changelog.gz"}) {
        EXPECT_NE(dataFiles.find(std::string(path) + "\n"), std::string::npos) << path;
    }
    // The game package holds nothing of the data, the data package nothing but the data, its
    // documents and its lintian overrides.
    EXPECT_EQ(gameFiles.find("/usr/share/games/"), std::string::npos) << gameFiles;
    for (const std::string& file : LinesStartingWith(dataFiles, "./usr/share/")) {
        const bool expected = file.rfind("./usr/share/games/", 0) == 0 || file.rfind("./usr/share/doc/", 0) == 0 ||
                              file.rfind("./usr/share/lintian/", 0) == 0 || file == "./usr/share/";
        EXPECT_TRUE(expected) << file;
    }

    if (Shell("command -v lintian >/dev/null") == 0) {
        std::string said;
        Shell("lintian " + Quoted(game) + " " + Quoted(data), &said);
        EXPECT_EQ(LinesStartingWith(said, "E:").size() + LinesStartingWith(said, "W:").size(), 0u) << said;
    }

    ASSERT_EQ(Shell("dpkg-deb -x " + Quoted(game) + " " + Quoted(root_) + " && dpkg-deb -x " + Quoted(data) + " " +
                        Quoted(root_), &log), 0) << log;
    const fs::path share = root_ / "usr/share";
    // The licence text in the copyright file (indented, "." for an empty line) is LICENSE's.
    std::string licence;
    Shell("sed -n '/^ Permission is hereby granted/,$s/^ \\.\\?//p' " + Quoted(share / "doc/lantern-blade/copyright"),
          &licence);
    const std::string repositoryLicence = test::ReadFile(LB_SOURCE_DIR "/LICENSE");
    EXPECT_NE(licence, "");
    EXPECT_NE(repositoryLicence.find(licence), std::string::npos) << licence;
    EXPECT_EQ(test::ReadFile((share / "doc/lantern-blade/copyright").string()),
              test::ReadFile((share / "doc/lantern-blade-data/copyright").string()));
    const fs::path metainfo = share / "metainfo/io.github.lanternblade.LanternBlade.metainfo.xml";
    EXPECT_EQ(Shell("appstreamcli validate --no-net " + Quoted(metainfo) + " && desktop-file-validate " +
                        Quoted(share / "applications/lantern-blade.desktop"),
                    &log),
              0)
        << log;
    EXPECT_NE(test::ReadFile(metainfo.string()).find("<release version=\"" LB_VERSION "\""), std::string::npos);
    std::string manPage;
    EXPECT_EQ(Shell("gzip -dc " + Quoted(share / "man/man6/lantern-blade.6.gz") + " | head -1", &manPage), 0);
    EXPECT_NE(manPage.find("\"Lantern Blade " LB_VERSION "\""), std::string::npos) << manPage;

    // Without a home (nor a display), help and version are printed and nothing is written.
    const fs::path bare = PlayerFolder("bare");
    std::string version;
    const std::string program = Quoted(root_ / "usr/games/lantern-blade");
    EXPECT_EQ(Shell("cd " + Quoted(bare) + " && env -i " + program + " -h && env -i " + program + " --version",
                    &version),
              0);
    EXPECT_NE(version.find("Usage: lantern-blade"), std::string::npos) << version;
    EXPECT_NE(version.find("lantern-blade " LB_VERSION "\n"), std::string::npos) << version;
    EXPECT_TRUE(fs::is_empty(bare));

    const auto installed = Snapshot(root_);
    const fs::path home = PlayerFolder("home");
    const fs::path mine = home / ".local/share/lantern-blade";
    const fs::path shipped = root_ / "usr/share/games/lantern-blade/txt/Ranking/Ranking.txt";
    const std::string waitForTheSave = "for i in $(seq 1 100); do cmp -s " + Quoted(shipped) +
                                       " ~/.local/share/lantern-blade/Ranking.txt || break; sleep 0.2; done\n";
#ifdef LB_SANITIZED
    // Sanitized, the game runs several times slower, too slow for keys sent from outside to
    // land on their frames; the normal build plays the clear.
    GTEST_SKIP() << "the clear is played by the normal build";
#endif
    // On a busy machine a key may reach the game a frame or two late and a kill be missed: a
    // fresh start (the same enemies) gets another try.
    std::string said;
    for (int attempt = 0; attempt < 3; ++attempt) {
        ASSERT_EQ(Play(home, CLEAR_ROUTE + waitForTheSave, &said), 0) << said;
        if (test::ReadFile((mine / "Ranking.txt").string()) != test::ReadFile(shipped.string())) break;
    }
    // The clear's score took its place among the shipped ones.
    std::vector<int> saved, expected = {3439, 3099, 2539, 1839, 939};
    std::istringstream ranking(test::ReadFile((mine / "Ranking.txt").string()));
    for (std::string number; std::getline(ranking, number, ',') && number != "\n";) saved.push_back(std::stoi(number));
    const auto score = std::find_if(saved.begin(), saved.end(), [&](int n) {
        return std::find(expected.begin(), expected.end(), n) == expected.end();
    });
    ASSERT_NE(score, saved.end()) << "no clear's score in " << ranking.str();
    expected.push_back(*score);
    std::sort(expected.rbegin(), expected.rend());
    expected.pop_back();
    EXPECT_EQ(saved, expected) << ranking.str();
    // The clear's demo follows the ranking into the player's folder, beside the shipped
    // entries' (the n-th entry of a score keeps "<score>-<n>.lbdemo").
    for (std::size_t place = 0; place < saved.size(); ++place) {
        const auto order = std::count(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(place), saved[place]);
        const std::string name = std::to_string(saved[place]) + "-" + std::to_string(order) + ".lbdemo";
        EXPECT_TRUE(fs::is_regular_file(mine / "demos" / name)) << name;
    }
    // Beside it the player's best clear, this one.
    EXPECT_TRUE(fs::is_regular_file(mine / "demos/best.lbdemo"));
    for (const std::string& name : Names(mine)) {
        EXPECT_TRUE(name.rfind("Ranking", 0) == 0 || name == "demos" || name == "Best.txt") << name;
    }
    // Beside the scores only the music's takes, in the cache folder.
    std::set<std::string> inHome = Names(home);
    if (inHome.erase(".cache") == 1) {
        EXPECT_EQ(Names(home / ".cache"), std::set<std::string>{"lantern-blade"});
    }
    EXPECT_EQ(inHome, std::set<std::string>{".local"});
    EXPECT_EQ(fs::status(mine).permissions(), fs::perms::owner_all);
    EXPECT_EQ(Snapshot(root_), installed) << "the installed tree was written";
}

// `cmake --install` honours DESTDIR and the prefix, and the tree finds its data wherever it
// is moved: without a display the game gets past the data and stops at the display.
TEST_F(InstalledPackages, AnInstallUnderAnyPrefixFindsItsDataWhereverItIsMoved) {
    const fs::path staging = scratch_.Path() / "staging";
    std::string log;
    ASSERT_EQ(Shell("DESTDIR=" + Quoted(staging) + " cmake --install " + Quoted(LB_BINARY_DIR) +
                        " --prefix /opt/lantern-blade",
                    &log),
              0)
        << log;
    const fs::path prefix = staging / "opt/lantern-blade";
    for (const char* path : {"games/lantern-blade", "share/games/lantern-blade/bmp/Map.bmp",
                             "share/applications/lantern-blade.desktop", "share/man/man6/lantern-blade.6.gz"}) {
        EXPECT_TRUE(fs::exists(prefix / path)) << path;
    }
    const fs::path moved = scratch_.Path() / "moved";
    fs::rename(prefix, moved);
    const fs::path folder = PlayerFolder("run");
    std::string said;
    EXPECT_EQ(Shell("cd " + Quoted(folder) + " && " +
                        AsPlayer(PlayerFolder("home"), Quoted(moved / "games/lantern-blade")),
                    &said),
              1);
    EXPECT_NE(said.find("display"), std::string::npos) << said;
    EXPECT_EQ(said.find("no game data"), std::string::npos) << said;
    EXPECT_TRUE(fs::is_empty(folder));
}

}  // namespace
