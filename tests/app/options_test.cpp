// The command line: each option, the environment it beats, and an option not known.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/options.h"
#include "platform/host/settings.h"

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
        {{"--version"}, nullptr, 0, "lantern-blade 1.0\n", "", true},
        {{"--windowed", "--bogus"}, nullptr, 2, "", "lantern-blade: unknown option '--bogus'\nUsage:", false},
        {{"-h"}, nullptr, 2, "", "Usage:", true},
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
        EXPECT_EQ(ReadOptions(static_cast<int>(argv.size()), argv.data()), c.exitCode);
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(out.find(c.inStdout), std::string::npos) << out;
        EXPECT_NE(err.find(c.inStderr), std::string::npos) << err;
        EXPECT_EQ(out.empty(), *c.inStdout == '\0') << out;
        EXPECT_EQ(err.empty(), *c.inStderr == '\0') << err;
        EXPECT_EQ(OpensFullscreen(Settings{}), c.fullscreen);
    }
}

}  // namespace
