// The settings file under XDG_CONFIG_HOME: what is written comes back, only changes are
// written, and a damaged file is ignored with one line and never overwritten.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/host/settings.h"
#include "tests/support/harness.h"

namespace {

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

    const Settings changed{false, 800, 600, 30, 0};
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
    EXPECT_EQ(LoadSettings(), (Settings{false, 1280, 960, 55, 100}));
}

TEST_F(SettingsFile, ADamagedFileIsIgnoredWithOneLineAndLeftAsItIs) {
    for (const char* damaged : {"fullscreen=maybe\n", "music_volume=101\n", "window_width=12x\n",
                                "effects_volume=\n", "window_height=-5\n", "just words\n", "\x7f\x45LF\x01\n"}) {
        test::WriteFile(file_.string(), damaged);
        testing::internal::CaptureStderr();
        EXPECT_EQ(LoadSettings(), Settings{}) << damaged;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find(file_.string()), std::string::npos) << err;
        SaveSettings(Settings{true, 640, 480, 10, 10});
        EXPECT_EQ(test::ReadFile(file_.string()), damaged);
    }
}

}  // namespace
