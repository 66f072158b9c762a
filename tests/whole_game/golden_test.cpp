// The golden run: the whole ring played from the fixed route, with a checksum of every
// presented frame (pixels and palette) and the MCI log compared with golden/ring.txt. Any
// change to what is drawn or sent, down to one pixel, shows as the first frame or log
// line that differs.
//
//   LB_GOLDEN_UPDATE=1 ctest --test-dir build -R Golden    rewrites ring.txt (look first)
//   LB_GOLDEN_SHOW=<frame> ...                              also writes that frame as PNG
//
// The run's keys are written to <build>/golden/keys.txt, for the browser's test to replay.
// On a mismatch the frame as drawn now and the last frame that still matched are written
// as PNG to <build>/golden/; tools/golden_expected.sh writes the recorded frame from
// the commit that last changed ring.txt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/demo_run.h"
#include "game/run_state.h"
#include "game/scene_state.h"
#include "platform/demo/demo.h"
#include "platform/headless/headless.h"
#include "tests/whole_game/game_run.h"

namespace {

namespace fs = std::filesystem;

const fs::path GOLDEN = fs::path(LB_SOURCE_DIR) / "tests/whole_game/golden/ring.txt";
const fs::path OUTPUT = fs::path(LB_BINARY_DIR) / "golden";

void Write(const headless::Frame& frame, long number, const char* suffix) {
    const fs::path path = OUTPUT / ("frame-" + std::to_string(number) + suffix + ".png");
    EXPECT_TRUE(headless::WritePng(frame, path.string())) << path;
}

// Records a line per presented frame, comparing each with the golden one as it comes, so
// the first frame that differs is still at hand to be written out.
struct FrameRecorder {
    const std::vector<std::string>& golden;
    long show;
    std::vector<std::string> lines;
    std::uint64_t seen;
    std::uint32_t start;
    long mismatch;

    void Look() {
        const std::vector<headless::Frame>& kept = headless::Frames();
        const std::uint64_t fresh = headless::FrameCount() - seen;
        ASSERT_LE(fresh, kept.size()) << "one turn presented more frames than are kept";
        for (std::size_t i = kept.size() - fresh; i < kept.size(); ++i) {
            const long number = static_cast<long>(lines.size());
            if (number == 0) start = kept[i].atMs;
            char line[96];
            std::snprintf(line, sizeof line, "F %ld %u %d %016llx", number, kept[i].atMs - start, g_scene,
                          static_cast<unsigned long long>(whole::FrameChecksum(kept[i])));
            lines.emplace_back(line);
            if (number == show) Write(kept[i], number, "");
            if (mismatch < 0 && !golden.empty() && (lines.size() > golden.size() || golden[lines.size() - 1] != line)) {
                mismatch = number;
                Write(kept[i], number, "-actual");
                if (i > 0) Write(kept[i - 1], number - 1, "-last-match");
            }
        }
        seen = headless::FrameCount();
    }
};

TEST(Golden, TheWholeRingDrawsAndSoundsAsRecorded) {
    const bool update = std::getenv("LB_GOLDEN_UPDATE") != nullptr;
    const char* show = std::getenv("LB_GOLDEN_SHOW");
    std::vector<std::string> golden;
    std::ifstream in(GOLDEN);
    for (std::string line; !update && std::getline(in, line);) {
        if (!line.empty() && line[0] != '#') golden.push_back(line);
    }

    fs::create_directories(OUTPUT);
    // Recorded as the game always records, which must not change what it draws; the demo
    // is kept beside the golden record for the demo tests.
    headless::RecordKeyScript();
    whole::GameRun run([] { StartRecording(true); });
    headless::KeepFrames(8);  // more than any one turn presents
    FrameRecorder recorder{golden, show != nullptr ? std::atol(show) : -1, {}, 0, 0, -1};
    run.Watch([&recorder] { recorder.Look(); });
    std::string failed;
    ASSERT_TRUE(whole::PlayWholeRing(run, &failed)) << "stopped at: " << failed;
    // The clear's score (kept in g_clearTime, the shipped first place's too) went into the
    // saved ranking in its place; the start-up copy has the entries read at start.
    EXPECT_EQ(static_cast<std::int32_t>(g_clearTime), 3439);
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"), "3439,3439,3099,2539,1839,");
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking2.txt"), "3439,3099,2539,1839,939,");
    recorder.Look();
    // The quit scene's teardown closed every device, each once, and sent no command for it.
    const std::vector<std::string>& commands = headless::MciLog();
    EXPECT_EQ(headless::OpenSounds(), 0u);
    EXPECT_EQ(headless::SoundCloses(), static_cast<std::size_t>(std::count_if(
        commands.begin(), commands.end(), [](const std::string& c) { return c.rfind("Open ", 0) == 0; })));
    std::ofstream(OUTPUT / "keys.txt") << headless::KeyScript();

    // Runs of equal commands as one "M text xN" line: the results' wait sends one per turn.
    std::vector<std::string>& lines = recorder.lines;
    const std::vector<std::string>& log = headless::MciLog();
    for (std::size_t i = 0, end = 0; i < log.size(); i = end) {
        while (end < log.size() && log[end] == log[i]) ++end;
        lines.push_back("M " + log[i] + (end - i > 1 ? " x" + std::to_string(end - i) : ""));
    }
    if (update) {
        std::ofstream out(GOLDEN);
        out << "# The golden run: F frame ms-since-start scene checksum, then M each MCI command.\n"
               "# Rewrite with LB_GOLDEN_UPDATE=1 ctest --test-dir build -R Golden, after looking.\n";
        for (const std::string& line : lines) out << line << '\n';
        std::ofstream(whole::KEPT_DEMO, std::ios::binary) << DemoRecordingBytes(false);
        GTEST_SKIP() << "rewrote " << GOLDEN;
    }

    std::size_t i = 0;
    while (i < lines.size() && i < golden.size() && lines[i] == golden[i]) ++i;
    EXPECT_TRUE(i == lines.size() && i == golden.size())
        << "line " << i << " of the record differs: now '" << (i < lines.size() ? lines[i] : "(none)")
        << "', recorded '" << (i < golden.size() ? golden[i] : "(none)") << "'"
        << (recorder.mismatch < 0 ? "" : "; PNGs in " + OUTPUT.string() + ", the recorded frame: " +
                                             "tools/golden_expected.sh " + std::to_string(recorder.mismatch));
}

}  // namespace
