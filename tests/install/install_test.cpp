// The Debian package of this build, made by CPack, checked, unpacked, and its launcher (and
// the game binary itself) played under Xvfb and ended with Escape.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "tests/support/harness.h"

namespace fs = std::filesystem;

namespace {

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

// Starts an installed program from the folder given, with that home and no XDG folders, on
// an X server of the size given without a window manager; once its window shows, runs the
// shell commands given, then presses Escape every half second until the game ends. Gives
// its exit code (-1 when it never started or had to be stopped).
int Play(const fs::path& program, const fs::path& home, const fs::path& folder, const std::string& screen = "640x480",
         const std::string& then = "") {
    const fs::path script = fs::absolute("play.sh");
    test::WriteFile(script.string(),
                    Quoted(program) + " & game=$!\n"
                    "for i in $(seq 1 150); do xdotool search --name 'Lantern Blade' && break; sleep 0.2; done\n" +
                        then + "( for i in $(seq 1 60); do xdotool key Escape; sleep 0.5; done ) & keys=$!\n" +
                        "wait $game; code=$?; kill $keys; exit $code\n");
    // On a larger screen SDL draws through OpenGL, and the system's GL driver keeps a few
    // blocks until exit; the sanitized build's leak check would count them.
    const std::string leaks = screen == "640x480" ? "" : "ASAN_OPTIONS=detect_leaks=0 ";
    return Shell("cd " + Quoted(folder) +
                 " && env -u SDL_VIDEODRIVER -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_PICTURES_DIR " + leaks +
                 "SDL_AUDIODRIVER=dummy HOME=" + Quoted(home) + " timeout -k 5 120 xvfb-run -a -s '-screen 0 " +
                 screen + "x24' sh " + Quoted(script) + " >/dev/null 2>&1");
}

// The package made by CPack holds the game, its data and its desktop files, and plays from
// an unpacked root. Started directly, the game plays from the installed data and writes no
// scores; the launcher plays from a per-user copy in ~/.local/share. A copy with a file
// lost and another damaged gets both back on the next start, the player's scores and own
// files kept; the installed tree is never written. Fullscreen (the default) on a bare
// 1920x1080 X server shows the whole picture at twice its size, and F12 saves exactly the
// picture shown.
TEST(InstalledGame, PlaysFromAPerUserCopyRepairedOnEachStartAndNeverWritesTheInstalledTree) {
    std::string missing;
    Shell("for tool in cpack dpkg-deb xvfb-run xdotool import timeout appstreamcli desktop-file-validate; do "
          "command -v $tool >/dev/null || echo $tool; done",
          &missing);
    if (!missing.empty()) GTEST_SKIP() << "not installed: " << missing;
    test::ScratchDir scratch;
    std::string log;
    const std::string cpack = "cpack -G DEB --config " + Quoted(LB_BINARY_DIR "/CPackConfig.cmake");
    ASSERT_EQ(Shell(cpack + " -B " + Quoted(scratch.Path()), &log), 0) << log;
    const std::string deb = Quoted(scratch.Path() / "lantern-blade_1.0_amd64.deb");
    std::string listing;
    ASSERT_EQ(Shell("dpkg-deb -I " + deb + " && dpkg-deb -c " + deb, &listing), 0) << listing << log;
    std::vector<std::string> wanted = {
        "Package: lantern-blade", "Section: games", "libsdl2-2.0-0", "libsdl2-mixer-2.0-0", "libpng16-16",
        "timgm6mb-soundfont", " ./usr/bin/lantern-blade\n", " ./usr/libexec/lantern-blade\n",
        " ./usr/share/lantern-blade/data/bmp/Map.bmp\n", " ./usr/share/lantern-blade/data/BATTLE03.mid\n",
        " ./usr/share/applications/lantern-blade.desktop\n",
        " ./usr/share/metainfo/io.github.lanternblade.LanternBlade.metainfo.xml\n",
        " ./usr/share/man/man6/lantern-blade.6.gz\n"};
    for (const char* size : {"16x16", "32x32", "48x48", "64x64", "128x128", "256x256"}) {
        wanted.push_back(std::string(" ./usr/share/icons/hicolor/") + size + "/apps/lantern-blade.png\n");
    }
    for (const std::string& entry : wanted) EXPECT_NE(listing.find(entry), std::string::npos) << entry;

    const fs::path root = scratch.Path() / "root";
    ASSERT_EQ(Shell("dpkg-deb -x " + deb + " " + Quoted(root), &log), 0) << log;
    const fs::path share = root / "usr/share";
    const std::string validate = "appstreamcli validate --no-net " +
                                 Quoted(share / "metainfo/io.github.lanternblade.LanternBlade.metainfo.xml") +
                                 " && desktop-file-validate " + Quoted(share / "applications/lantern-blade.desktop") +
                                 " && gzip -t " + Quoted(share / "man/man6/lantern-blade.6.gz");
    EXPECT_EQ(Shell(validate, &log), 0) << log;

    const auto installed = Snapshot(root);
    const fs::path home = scratch.Path() / "home";
    const fs::path elsewhere = scratch.Path() / "elsewhere";
    for (const fs::path& folder : {home, elsewhere}) fs::create_directories(folder);
    ASSERT_EQ(Play(root / "usr/libexec/lantern-blade", home, elsewhere), 0);
    for (const auto& [name, contents] : Snapshot(home)) EXPECT_EQ(name.find("Ranking"), std::string::npos) << name;
    ASSERT_EQ(Play(root / "usr/bin/lantern-blade", home, elsewhere), 0);
    const fs::path copy = home / ".local/share/lantern-blade";
    EXPECT_EQ(test::ReadFile((copy / "txt/Ranking/Ranking2.txt").string()), "3200,2400,1600,1000,500,");
    const std::string map = test::ReadFile((copy / "txt/Map/Map.txt").string());
    ASSERT_FALSE(map.empty());

    test::WriteFile((copy / "txt/Ranking/Ranking.txt").string(), "9000,8000,7000,6000,5000,");
    test::WriteFile((copy / "txt/Map/Map.txt").string(), std::string(map.size(), '9'));
    test::WriteFile((copy / "notes.txt").string(), "mine");
    fs::remove(copy / "bmp/Map.bmp");
    // The pause menu, which stands still, is saved and read off the screen.
    const fs::path screen = scratch.Path() / "screen.png";
    ASSERT_EQ(Play(root / "usr/bin/lantern-blade", home, elsewhere, "1920x1080",
                   "sleep 3\n"
                   "xdotool keydown x sleep 1 keyup x sleep 1 key F12 sleep 1\n"
                   "import -window root " + Quoted(screen) + "\n"),
              0);
    EXPECT_EQ(test::ReadFile((copy / "txt/Ranking/Ranking2.txt").string()), "9000,8000,7000,6000,5000,");
    EXPECT_EQ(test::ReadFile((copy / "txt/Map/Map.txt").string()), map);
    EXPECT_EQ(Changed(Snapshot(share / "lantern-blade/data"), Snapshot(copy)),
              (std::vector<std::string>{"txt/Ranking/Ranking.txt", "notes.txt",
                                        "txt/Ranking/Ranking.txt.lock", "txt/Ranking/Ranking2.txt"}));
    // Beside the copy only the launchers' lock: no half-made or old copy.
    EXPECT_EQ(std::distance(fs::directory_iterator(home / ".local/share"), fs::directory_iterator()), 2);
    EXPECT_EQ(Changed(installed, Snapshot(root)), std::vector<std::string>{}) << "the installed tree was written";
    EXPECT_TRUE(fs::is_empty(elsewhere)) << "the working directory was written";

    const fs::path shots = home / "Pictures/Lantern Blade";
    ASSERT_TRUE(fs::exists(shots) && !fs::is_empty(shots));
    // Each picture pixel a 2x2 block in the middle of the screen; black all round.
    const std::string shot = Quoted(fs::directory_iterator(shots)->path());
    EXPECT_EQ(Shell("convert " + shot + " -sample 200% -background black -gravity center -extent 1920x1080 ppm:- | "
                    "compare -metric AE ppm:- " + Quoted(screen) + " null:",
                    &log),
              0)
        << log << " pixels differ";
    std::string size;
    EXPECT_EQ(Shell("identify -format '%wx%h %[fx:mean>0.01]' " + shot, &size), 0);
    EXPECT_EQ(size, "640x480 1") << "the picture is black";
}

}  // namespace
