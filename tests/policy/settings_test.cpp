// The settings file under XDG_CONFIG_HOME: what is written comes back, only changes are
// written, and a damaged file is ignored with one line and never overwritten.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/policy/settings.h"
#include "platform/host/user_dirs.h"
#include "tests/support/harness.h"

namespace {

// Settings with the display and sound values given, the rest as by default.
Settings Make(bool fullscreen, int width, int height, int music, int effects) {
    Settings settings;
    settings.fullscreen = fullscreen;
    settings.windowWidth = width;
    settings.windowHeight = height;
    settings.musicVolume = music;
    settings.effectsVolume = effects;
    return settings;
}

namespace fs = std::filesystem;

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", (dir_.Path() / "config").c_str(), 1); }

    test::ScratchDir dir_;
    const fs::path file_ = dir_.Path() / "config/lantern-blade/settings.ini";
};

TEST_F(SettingsFile, WhatIsWrittenIsReadBackAndOnlyChangesAreWritten) {
    EXPECT_EQ(LoadSettings(), Settings{});
    SaveSettings(Settings{});
    EXPECT_FALSE(fs::exists(file_)) << "the defaults unchanged need no file";

    unsetenv("LANTERN_BLADE_WINDOWED");
    EXPECT_TRUE(OpensFullscreen(Settings{}));
    setenv("LANTERN_BLADE_WINDOWED", "1", 1);
    EXPECT_FALSE(OpensFullscreen(Settings{})) << "the test switch";
    const Settings changed = Make(false, 800, 600, 30, 0);
    SaveSettings(changed);
    EXPECT_EQ(LoadSettings(), changed);
    EXPECT_FALSE(OpensFullscreen(changed));
    ChooseDisplay(DisplayChoice::Fullscreen);
    EXPECT_TRUE(OpensFullscreen(changed)) << "the command line beats the file";
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(file_.parent_path()), fs::directory_iterator()), 1);

    // Written by hand: comments, spaces, sections, a key of another version.
    test::WriteFile(file_.string(), "# mine\n[display]\n  fullscreen = false \r\n\n; old\nshader=crt\n"
                                    "[sound]\nmusic_volume=55\n");
    EXPECT_EQ(LoadSettings(), Make(false, 1280, 960, 55, 100));
}

TEST_F(SettingsFile, ADamagedFileIsIgnoredWithOneLineAndLeftAsItIs) {
    for (const char* damaged : {"fullscreen=maybe\n", "music_volume=101\n", "window_width=12x\n", "ghost=1\n",
                                "name=SEVENTEEN_LETTERS\n", "name=caf\xc3\xa9\n",
                                "effects_volume=\n", "window_height=-5\n", "just words\n", "\x7f\x45LF\x01\n"}) {
        test::WriteFile(file_.string(), damaged);
        testing::internal::CaptureStderr();
        EXPECT_EQ(LoadSettings(), Settings{}) << damaged;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find(file_.string()), std::string::npos) << err;
        SaveSettings(Make(true, 640, 480, 10, 10));
        EXPECT_EQ(test::ReadFile(file_.string()), damaged);
    }
}

TEST_F(SettingsFile, ThePlayersNameAndTheOverlaysSwitchesComeBack) {
    Settings changed;
    changed.name = "Ada Lovelace #1";
    changed.classic = true;
    changed.ghost = false;
    SaveSettings(changed);
    EXPECT_EQ(LoadSettings(), changed);
    // Sixteen printable characters, spaces round them trimmed.
    test::WriteFile(file_.string(), "[play]\nname =  SIXTEEN_LETTERS! \n");
    EXPECT_EQ(LoadSettings().name, "SIXTEEN_LETTERS!");
    EXPECT_TRUE(ValidPlayerName("~"));
    EXPECT_FALSE(ValidPlayerName("tab\there") || ValidPlayerName("SEVENTEEN_LETTERS"));
    // A secret: 16 to 128 printable characters, no space.
    EXPECT_TRUE(ValidPlayerSecret(std::string(16, 'a')) && ValidPlayerSecret(std::string(128, '~')));
    EXPECT_FALSE(ValidPlayerSecret(std::string(15, 'a')) || ValidPlayerSecret(std::string(129, 'a')));
    EXPECT_FALSE(ValidPlayerSecret("a secret with spaces"));
}

// Whatever stands in the file's place, the start goes on at once with the defaults and one
// line that no terminal takes for a command: a FIFO, an endless device, a huge file, a line
// of control characters.
TEST_F(SettingsFile, NoFileInItsPlaceHoldsTheStartOrReachesTheTerminalRaw) {
    fs::create_directories(file_.parent_path());
    alarm(10);
    const std::string hostile = "\x1b]0;owned\x07\x1b[2J" + std::string(100, 'x') + "\n";
    std::string spaced(60, 'y');  // sixty bytes, shown whole, a space among them as it is
    spaced[30] = ' ';
    const struct {
        std::function<void()> arrange;
        std::string said;
    } cases[] = {
        {[&] { mkfifo(file_.c_str(), 0600); }, "settings.ini is not a regular file"},
        {[&] { fs::create_symlink("/dev/zero", file_); }, "settings.ini is not a regular file"},
        {[&] { test::WriteFile(file_.string(), std::string(64 * 1024 + 1, '#')); }, "settings.ini is larger than 64 KB"},
        // Sixty bytes of the line are shown: fourteen escaped and 46 of the x.
        {[&] { test::WriteFile(file_.string(), hostile); },
         "is not a setting: \\x1b]0;owned\\x07\\x1b[2J" + std::string(46, 'x') + "...)"},
        {[&] { test::WriteFile(file_.string(), spaced); }, "setting: " + spaced + ")"},
    };
    for (const auto& c : cases) {
        fs::remove(file_);
        c.arrange();
        testing::internal::CaptureStderr();
        EXPECT_EQ(LoadSettings(), Settings{});
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(c.said), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(err.find('\x1b'), std::string::npos) << err;
        EXPECT_LT(err.size(), 300u) << err;
    }
    alarm(0);
}

// A new file gets what the umask leaves; a file the player made private stays so; a file
// that cannot be replaced says so once a run.
TEST_F(SettingsFile, ModesAreThePlayersAndAFileThatCannotBeWrittenSaysSoOnce) {
    const mode_t previous = umask(077);
    SaveSettings(Make(false, 800, 600, 30, 0));
    umask(previous);
    EXPECT_EQ(fs::status(file_).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    SaveSettings(Make(false, 800, 600, 40, 0));
    EXPECT_EQ(fs::status(file_).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::permissions(file_, fs::perms::owner_read);
    testing::internal::CaptureStderr();
    SaveSettings(Make(false, 800, 600, 50, 0));
    SaveSettings(Make(false, 800, 600, 60, 0));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "lantern-blade: settings changed in this run are not kept in " + file_.string() +
                       ": settings.ini is read-only\n");
    EXPECT_EQ(LoadSettings().musicVolume, 40);
}

// The pictures folder as xdg-user-dir finds it: the environment, then the desktop's list
// (a localised name), then ~/Pictures.
TEST_F(SettingsFile, ScreenshotsGoWhereTheDesktopKeepsPictures) {
    const fs::path home = dir_.Path() / "home";
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_PICTURES_DIR");
    EXPECT_EQ(ScreenshotFolder(), home / "Pictures/Lantern Blade");
    test::WriteFile((dir_.Path() / "config/user-dirs.dirs").string(),
                    "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                    "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    EXPECT_EQ(ScreenshotFolder(), home / "Bilder/Lantern Blade");
    test::WriteFile((dir_.Path() / "config/user-dirs.dirs").string(), "XDG_PICTURES_DIR=\"/srv/shots\"\n");
    EXPECT_EQ(ScreenshotFolder(), fs::path("/srv/shots/Lantern Blade"));
    setenv("XDG_PICTURES_DIR", "/media/pics", 1);
    EXPECT_EQ(ScreenshotFolder(), fs::path("/media/pics/Lantern Blade"));
    // An empty HOME is none.
    unsetenv("XDG_PICTURES_DIR");
    fs::remove(dir_.Path() / "config/user-dirs.dirs");
    setenv("HOME", "", 1);
    EXPECT_EQ(ScreenshotFolder(), fs::path());
}

}  // namespace
