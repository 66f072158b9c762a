// The golden run: the whole ring played from the fixed route, with a checksum of every
// presented frame (pixels and palette) and the MCI log compared with golden/ring.txt. Any
// change to what is drawn or sent, down to one pixel, shows as the first frame or log
// line that differs.
//
//   LB_GOLDEN_UPDATE=1 ctest --test-dir build -R Golden    rewrites ring.txt (look first)
//   LB_GOLDEN_SHOW=<frame> ...                              also writes that frame as PNG
//
// On a mismatch the frame as drawn now and the last frame that still matched are written
// as PNG to <build>/golden/; tools/golden_expected.sh writes the recorded frame from
// the commit that last changed ring.txt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/game_frame.h"
#include "game/scene_state.h"
#include "platform/headless/headless.h"
#include "tests/whole_game/game_run.h"

namespace {

namespace fs = std::filesystem;

const fs::path GOLDEN = fs::path(LB_SOURCE_DIR) / "tests/whole_game/golden/ring.txt";
const fs::path OUTPUT = fs::path(LB_BINARY_DIR) / "golden";
// Frames kept by the backend between two looks: more than any one turn presents.
constexpr std::size_t KEEP = 8;

// FNV-1a over 64-bit words: pixels, then palette.
std::uint64_t Checksum(const headless::Frame& frame) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    auto mix = [&hash](const void* data, std::size_t bytes) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i + 8 <= bytes; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, p + i, 8);
            hash = (hash ^ word) * 0x100000001b3u;
        }
    };
    mix(frame.pixels.data(), frame.pixels.size());
    mix(frame.palette, sizeof frame.palette);
    return hash;
}

std::vector<std::string> ReadLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    }
    return lines;
}

// Runs of equal commands as one "M text xN" line: the results' wait sends one per turn.
void AddMciLines(const std::vector<std::string>& log, std::vector<std::string>* lines) {
    for (std::size_t i = 0, end = 0; i < log.size(); i = end) {
        while (end < log.size() && log[end] == log[i]) ++end;
        lines->push_back("M " + log[i] + (end - i > 1 ? " x" + std::to_string(end - i) : ""));
    }
}

// Records a line per presented frame, comparing each with the golden one as it comes, so
// the first frame that differs is still at hand to be written out.
class FrameRecorder {
public:
    FrameRecorder(const std::vector<std::string>* golden, long show) : golden_(golden), show_(show) {
        headless::KeepFrames(KEEP);
    }

    void Look() {
        const std::uint64_t fresh = headless::FrameCount() - seen_;
        const std::vector<headless::Frame>& kept = headless::Frames();
        ASSERT_LE(fresh, kept.size()) << "one turn presented more frames than are kept";
        for (std::size_t i = kept.size() - fresh; i < kept.size(); ++i) Record(kept, i);
        seen_ = headless::FrameCount();
    }

    const std::vector<std::string>& Lines() const { return lines_; }
    long FirstMismatch() const { return mismatch_; }

private:
    void Record(const std::vector<headless::Frame>& kept, std::size_t i) {
        const long number = static_cast<long>(lines_.size());
        if (number == 0) start_ = kept[i].atMs;
        char line[96];
        std::snprintf(line, sizeof line, "F %ld %u %d %016llx", number, kept[i].atMs - start_,
                      g_scene, static_cast<unsigned long long>(Checksum(kept[i])));
        lines_.emplace_back(line);
        if (number == show_) Write(kept[i], "frame-" + std::to_string(number) + ".png");
        const bool differs = golden_ != nullptr &&
                             (lines_.size() > golden_->size() || (*golden_)[lines_.size() - 1] != lines_.back());
        if (differs && mismatch_ < 0) {
            mismatch_ = number;
            Write(kept[i], "frame-" + std::to_string(number) + "-actual.png");
            if (i > 0) Write(kept[i - 1], "frame-" + std::to_string(number - 1) + "-last-match.png");
        }
    }

    static void Write(const headless::Frame& frame, const std::string& name) {
        fs::create_directories(OUTPUT);
        EXPECT_TRUE(headless::WritePng(frame, (OUTPUT / name).string())) << name;
    }

    const std::vector<std::string>* golden_;
    long show_;
    std::vector<std::string> lines_;
    std::uint64_t seen_ = 0;
    std::uint32_t start_ = 0;
    long mismatch_ = -1;
};

TEST(Golden, TheWholeRingDrawsAndSoundsAsRecorded) {
    const bool update = std::getenv("LB_GOLDEN_UPDATE") != nullptr;
    const char* show = std::getenv("LB_GOLDEN_SHOW");
    const std::vector<std::string> golden = update ? std::vector<std::string>{} : ReadLines(GOLDEN);
    ASSERT_TRUE(update || !golden.empty()) << "no golden record at " << GOLDEN
                                           << "; make it with LB_GOLDEN_UPDATE=1";

    whole::GameRun run;
    FrameRecorder recorder(update ? nullptr : &golden, show != nullptr ? std::atol(show) : -1);
    run.Watch([&recorder] { recorder.Look(); });
    std::string failed;
    ASSERT_TRUE(whole::PlayWholeRing(run, &failed)) << "stopped at: " << failed;
    EXPECT_EQ(run.ExitCode(), 0);
    // The clear's score (kept in g_clearTime) went into the saved ranking in its place; the
    // start-up copy has the entries read at start.
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking.txt"),
              std::to_string(static_cast<std::int32_t>(g_clearTime)) + ",3200,2400,1600,1000,");
    EXPECT_EQ(test::ReadFile("txt/Ranking/Ranking2.txt"), "3200,2400,1600,1000,500,");
    recorder.Look();

    std::vector<std::string> lines = recorder.Lines();
    AddMciLines(headless::MciLog(), &lines);
    if (update) {
        std::ofstream out(GOLDEN);
        out << "# The golden run: F frame ms-since-start scene checksum, then M each MCI command.\n"
               "# Rewrite with LB_GOLDEN_UPDATE=1 ctest --test-dir build -R Golden, after looking.\n";
        for (const std::string& line : lines) out << line << '\n';
        GTEST_SKIP() << "rewrote " << GOLDEN << " (" << recorder.Lines().size() << " frames)";
    }

    const long frame = recorder.FirstMismatch();
    ASSERT_LT(frame, 0) << "frame " << frame << " differs: now '" << lines[static_cast<std::size_t>(frame)]
                        << "', recorded '"
                        << (static_cast<std::size_t>(frame) < golden.size() ? golden[static_cast<std::size_t>(frame)]
                                                                             : std::string("(none)"))
                        << "'; PNGs in " << OUTPUT << ", the recorded frame: tools/golden_expected.sh " << frame;
    for (std::size_t i = 0; i < std::min(lines.size(), golden.size()); ++i) {
        ASSERT_EQ(lines[i], golden[i]) << "first difference at line " << i << " of the record";
    }
    EXPECT_EQ(lines.size(), golden.size());
}

}  // namespace
