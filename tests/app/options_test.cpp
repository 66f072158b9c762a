// The command line: each option, the environment it beats, and an option not known.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/options.h"
#include "platform/policy/settings.h"

namespace {

struct OptionCase {
    std::vector<const char*> options;
    const char* windowedVariable;  // LANTERN_BLADE_WINDOWED, or null
    int exitCode;                  // -1: the game starts
    const char* inStdout;          // "": nothing written there
    const char* inStderr;
    bool fullscreen;
};

TEST(Options, EachOptionAndAnUnknownOne) {
    const OptionCase cases[] = {
        {{}, nullptr, -1, "", "", true},
        {{}, "1", -1, "", "", false},
        {{"--windowed"}, nullptr, -1, "", "", false},
        {{"--fullscreen"}, "1", -1, "", "", true},
        {{"--fullscreen", "--windowed"}, nullptr, -1, "", "", false},
        {{"--help"}, nullptr, 0, "Usage: lantern-blade [OPTION]", "", true},
        {{"--help"}, nullptr, 0, "\nScores:   /kept/here/\nSee lantern-blade(6)", "", true},
        {{"--version"}, nullptr, 0, "lantern-blade " LB_VERSION "\n", "", true},
        {{"--windowed", "--bogus"}, nullptr, 2, "", "lantern-blade: unknown option '--bogus'\nUsage:", false},
        {{"-h"}, nullptr, 0, "Usage: lantern-blade [OPTION]", "", true},
        {{"-v"}, nullptr, 2, "", "Usage:", true},
        {{"--windowed", "--record", "run.lbdemo"}, nullptr, -1, "", "", false},
        {{"--verify"}, nullptr, 2, "", "lantern-blade: --verify needs a file\nUsage:", true},
    };
    for (const OptionCase& c : cases) {
        ChooseDisplay(DisplayChoice::AsSaved);
        if (c.windowedVariable != nullptr) {
            setenv("LANTERN_BLADE_WINDOWED", c.windowedVariable, 1);
        } else {
            unsetenv("LANTERN_BLADE_WINDOWED");
        }
        std::vector<const char*> argv{"lantern-blade"};
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        SCOPED_TRACE(argv.size() > 1 ? argv[1] : "(none)");
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(ReadOptions(static_cast<int>(argv.size()), argv.data(), "/kept/here/"), c.exitCode);
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(out.find(c.inStdout), std::string::npos) << out;
        EXPECT_NE(err.find(c.inStderr), std::string::npos) << err;
        EXPECT_EQ(out.empty(), *c.inStdout == '\0') << out;
        EXPECT_EQ(err.empty(), *c.inStderr == '\0') << err;
        EXPECT_EQ(OpensFullscreen(Settings{}), c.fullscreen);
    }
}

// Help and version written to a full disk: an error, not a success.
TEST(Options, TextThatCannotBeWrittenIsAnError) {
    for (const char* option : {"--help", "--version"}) {
        std::fflush(stdout);
        const int saved = dup(1);
        const int full = open("/dev/full", O_WRONLY);
        ASSERT_GE(full, 0);
        dup2(full, 1);
        testing::internal::CaptureStderr();
        const char* argv[] = {"lantern-blade", option};
        const int exitCode = ReadOptions(2, argv, "/kept/here/");
        const std::string err = testing::internal::GetCapturedStderr();
        dup2(saved, 1);
        close(full);
        close(saved);
        clearerr(stdout);
        EXPECT_EQ(exitCode, 1) << option;
        EXPECT_EQ(err, "lantern-blade: cannot write to standard output: No space left on device\n") << option;
    }
}

}  // namespace
