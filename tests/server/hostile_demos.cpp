// Builds the hostile demos through the game's own demo encoding, so they are well
// formed where they mean to be.
#include "tests/server/hostile_demos.h"

#include <gtest/gtest.h>

#include "platform/demo/demo_format.h"
#include "tests/server/server_run.h"

namespace servertest {

std::string GoldenDemo() { return ReadBytes(LB_SOURCE_DIR "/tests/whole_game/golden/ring.lbdemo"); }

std::vector<std::pair<std::string, std::string>> HostileDemos() {
    Demo golden;
    std::string why;
    EXPECT_TRUE(DecodeDemo(GoldenDemo(), &golden, &why)) << why;

    // A clock read in the middle of the run moved on by one more millisecond.
    Demo edited = golden;
    std::size_t records = 0;
    for (std::size_t pos = 0; pos < edited.stream.size(); pos = NextRecord(edited.stream, pos)) {
        if (edited.stream[pos] > 0 && edited.stream[pos] < 0x7f && ++records > 200) {
            ++edited.stream[pos];
            break;
        }
    }

    Demo cut = golden;
    std::size_t half = 0;
    while (half < cut.stream.size() / 3) half = NextRecord(cut.stream, half);
    cut.stream.resize(half);

    Demo otherStage = golden;
    otherStage.stageHash ^= 0x5a5a5a5a5a5a5a5aULL;

    // Zeros pack about a thousandfold: under 64 KB sent, some 60 MB unpacked.
    Demo bomb = golden;
    bomb.stream.assign(60u << 20, 0);
    const std::string bombBytes = EncodeDemo(bomb);
    EXPECT_LT(bombBytes.size(), 65536u);

    const std::string goldenBytes = GoldenDemo();
    return {{"edited", EncodeDemo(edited)},
            {"cut", EncodeDemo(cut)},
            {"cut-file", goldenBytes.substr(0, goldenBytes.size() / 2)},
            {"other-stage", EncodeDemo(otherStage)},
            {"bomb", bombBytes}};
}

}  // namespace servertest
