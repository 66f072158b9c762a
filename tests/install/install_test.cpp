// The installed tree runs: `cmake --install` of this build into a scratch prefix, the
// installed launcher (or the game binary itself) started under Xvfb and ended with
// Escape. The game must play from the per-user copy of its data and write its scores
// there and nowhere else; the installed tree is never written. The Debian package is
// made by CPack, its metadata and contents checked, and played from an unpacked root on
// a 1920x1080 X server without a window manager, where fullscreen must show the whole
// picture at twice its size and the screenshot key must save exactly the picture shown.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <algorithm>
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

// The command's exit code, its standard output in *output if given.
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

struct Rgb {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<std::uint8_t> bytes;
    std::uint32_t At(unsigned x, unsigned y) const {
        const std::uint8_t* p = &bytes[3 * (std::size_t{y} * width + x)];
        return (p[0] << 16) | (p[1] << 8) | p[2];
    }
};

Rgb ReadPng(const fs::path& path) {
    Rgb rgb;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return rgb;
    image.format = PNG_FORMAT_RGB;
    rgb.bytes.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgb.bytes.data(), 0, nullptr)) {
        rgb.width = image.width;
        rgb.height = image.height;
    }
    return rgb;
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
        ASSERT_EQ(Shell(install), 0) << install;
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
        return Shell(command);
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

TEST(DebianPackage, HoldsTheGameAndItsDesktopFilesAndPlaysFromAnUnpackedRoot) {
    for (const char* tool : {"cpack", "dpkg-deb", "xvfb-run", "xdotool", "import", "timeout"}) {
        if (!HasCommand(tool)) GTEST_SKIP() << tool << " is not installed";
    }
    test::ScratchDir dir;
    const fs::path out = dir.Path() / "out";
    std::string log;
    ASSERT_EQ(Shell("cpack -G DEB --config '" LB_BINARY_DIR "/CPackConfig.cmake' -B '" + out.string() + "'", &log), 0)
        << log;
    const fs::path deb = out / "lantern-blade_1.0_amd64.deb";
    ASSERT_TRUE(fs::exists(deb)) << log;

    std::string info;
    ASSERT_EQ(Shell("dpkg-deb -I '" + deb.string() + "'", &info), 0) << info;
    for (const char* field : {"Package: lantern-blade", "Section: games", "libsdl2-2.0-0", "libsdl2-mixer-2.0-0",
                              "libpng16-16", "timgm6mb-soundfont"}) {
        EXPECT_NE(info.find(field), std::string::npos) << field << " missing in\n" << info;
    }
    std::string contents;
    ASSERT_EQ(Shell("dpkg-deb -c '" + deb.string() + "'", &contents), 0) << contents;
    std::vector<std::string> wanted = {
        "./usr/bin/lantern-blade", "./usr/libexec/lantern-blade", "./usr/share/lantern-blade/data/bmp/Map.bmp",
        "./usr/share/lantern-blade/data/BATTLE03.mid", "./usr/share/applications/lantern-blade.desktop",
        "./usr/share/metainfo/io.github.lanternblade.LanternBlade.metainfo.xml",
        "./usr/share/man/man6/lantern-blade.6.gz"};
    for (const char* size : {"16x16", "32x32", "48x48", "64x64", "128x128", "256x256"}) {
        wanted.push_back(std::string("./usr/share/icons/hicolor/") + size + "/apps/lantern-blade.png");
    }
    for (const std::string& path : wanted) {
        EXPECT_NE(contents.find(" " + path + "\n"), std::string::npos) << path;
    }

    const fs::path root = dir.Path() / "root";
    ASSERT_EQ(Shell("dpkg-deb -x '" + deb.string() + "' '" + root.string() + "'", &log), 0) << log;
    const fs::path share = root / "usr/share";
    if (HasCommand("appstreamcli")) {
        EXPECT_EQ(Shell("appstreamcli validate --no-net '" +
                          (share / "metainfo/io.github.lanternblade.LanternBlade.metainfo.xml").string() + "'",
                      &log),
                  0)
            << log;
    }
    if (HasCommand("desktop-file-validate")) {
        EXPECT_EQ(Shell("desktop-file-validate '" + (share / "applications/lantern-blade.desktop").string() + "'", &log), 0)
            << log;
    }
    EXPECT_EQ(Shell("gzip -t '" + (share / "man/man6/lantern-blade.6.gz").string() + "'"), 0);

    // Fullscreen (the default) on a bare X server: the pause menu, which stands still, is
    // saved with F12 and read off the screen.
    test::WriteFile("play.sh",
                    "'" + (root / "usr/bin/lantern-blade").string() + "' & game=$!\n"
                    "for i in $(seq 1 150); do xdotool search --name 'Lantern Blade' && break; sleep 0.2; done\n"
                    "sleep 3\n"
                    "xdotool keydown x sleep 1 keyup x sleep 1 key F12 sleep 1\n"
                    "import -window root screen.png\n"
                    "( for i in $(seq 1 60); do xdotool key Escape; sleep 0.5; done ) & keys=$!\n"
                    "wait $game; code=$?\n"
                    "kill $keys\n"
                    "exit $code\n");
    const fs::path home = dir.Path() / "home";
    // At this screen size SDL draws through OpenGL, and the system's GL driver keeps a few
    // blocks until exit; the sanitized build's leak check would count them.
    const std::string play = "env -u SDL_VIDEODRIVER -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_PICTURES_DIR "
                             "ASAN_OPTIONS=detect_leaks=0 HOME='" +
                             home.string() + "' SDL_AUDIODRIVER=dummy timeout -k 5 120 xvfb-run -a -s "
                             "'-screen 0 1920x1080x24' sh play.sh";
    ASSERT_EQ(Shell(play, &log), 0) << log;
    EXPECT_TRUE(fs::exists(home / ".local/share/lantern-blade/txt/Ranking/Ranking2.txt"));

    const fs::path shots = home / "Pictures/Lantern Blade";
    ASSERT_TRUE(fs::exists(shots) && !fs::is_empty(shots)) << log;
    const Rgb shot = ReadPng(fs::directory_iterator(shots)->path());
    const Rgb screen = ReadPng("screen.png");
    ASSERT_EQ(shot.width * 10000 + shot.height, 640u * 10000 + 480u);
    ASSERT_EQ(screen.width * 10000 + screen.height, 1920u * 10000 + 1080u);
    // Each picture pixel a 2x2 block in the middle of the screen; black all round.
    std::size_t wrong = 0;
    for (unsigned y = 0; y < 1080; ++y) {
        for (unsigned x = 0; x < 1920; ++x) {
            const bool inside = x >= 320 && x < 1600 && y >= 60 && y < 1020;
            wrong += screen.At(x, y) != (inside ? shot.At((x - 320) / 2, (y - 60) / 2) : 0u);
        }
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(std::count_if(shot.bytes.begin(), shot.bytes.end(), [](std::uint8_t b) { return b > 0; }), 10000)
        << "the picture is black";
}

}  // namespace
