// Builds the hostile demos through the game's own demo encoding, so they are well
// formed where they mean to be.
#include "tests/server/hostile_demos.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/demo/demo_format.h"
#include "platform/demo/demo_reader.h"
#include "tests/support/harness.h"

namespace servertest {

std::string GoldenDemo() { return test::ReadFile(LB_SOURCE_DIR "/tests/whole_game/golden/ring.lbdemo"); }

namespace {

// The golden demo's records, unpacked, with the offset of each.
std::vector<std::size_t> RecordStarts(const Demo& demo) {
    std::vector<std::size_t> starts;
    DemoReader reader(demo);
    DemoRecord record;
    for (std::size_t at = reader.Offset(); reader.Next(&record); at = reader.Offset()) starts.push_back(at);
    return starts;
}

std::string Packed(const DemoHeader& header, const std::vector<std::uint8_t>& stream) {
    Demo demo;
    EXPECT_TRUE(PackDemo(header, stream, &demo));
    return EncodeDemo(demo);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> HostileDemos() {
    Demo golden;
    std::string why;
    EXPECT_TRUE(DecodeDemo(GoldenDemo(), &golden, &why)) << why;
    std::vector<std::uint8_t> stream;
    EXPECT_TRUE(UnpackDemo(golden, &stream));
    const std::vector<std::size_t> starts = RecordStarts(golden);

    // A clock read in the middle of the run moved on by one more millisecond.
    std::vector<std::uint8_t> edited = stream;
    std::size_t records = 0;
    for (std::size_t pos : starts) {
        if (edited[pos] > 0 && edited[pos] < 0x7f && ++records > 200) {
            ++edited[pos];
            break;
        }
    }

    std::vector<std::uint8_t> cut = stream;
    cut.resize(*std::lower_bound(starts.begin(), starts.end(), stream.size() / 3));

    DemoHeader otherStage = golden.header;
    otherStage.stageHash ^= 0x5a5a5a5a5a5a5a5aULL;

    // Zeros pack about a thousandfold: under 64 KB sent, some 60 MB unpacked.
    const std::string bombBytes = Packed(golden.header, std::vector<std::uint8_t>(60u << 20, 0));
    EXPECT_LT(bombBytes.size(), 65536u);

    // The same inputs under another player's name and date: a copy, not a run of its own.
    DemoHeader renamed = golden.header;
    renamed.player = "copycat";
    renamed.date += 86400;

    const std::string goldenBytes = GoldenDemo();
    return {{"edited", Packed(golden.header, edited)},
            {"renamed-copy", Packed(renamed, stream)},
            {"cut", Packed(golden.header, cut)},
            {"cut-file", goldenBytes.substr(0, goldenBytes.size() / 2)},
            {"other-stage", Packed(otherStage, stream)},
            {"bomb", bombBytes}};
}

}  // namespace servertest
