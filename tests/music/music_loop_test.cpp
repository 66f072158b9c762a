// A looping piece is synthesized once: its first pass is kept on disk and later passes,
// and later runs, read it back. Each pass ends after as many frames as the first and
// sounds as the synthesizer made it, the tails of the pass before included (a note held
// to the piece's end rings on into the next pass). Takes that cannot be written or read
// leave the music to the synthesizer. Uses the system's soundfont.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/music/music.h"
#include "platform/music/take_filler.h"
#include "tests/support/harness.h"
#include "tests/support/midi.h"

namespace {

namespace fs = std::filesystem;
using Samples = std::vector<std::int16_t>;

constexpr int PASS_BLOCK = 512;  // frames rendered per call while taking a pass

// Renders until the piece reports its end: one pass, from its start.
Samples Pass() {
    Samples samples;
    for (bool ended = false; !ended && samples.size() < 44100 * 2 * 5;) {
        const std::size_t at = samples.size();
        samples.resize(at + PASS_BLOCK * 2);
        ended = music::RenderMusic(samples.data() + at, PASS_BLOCK) == 0;
    }
    return samples;
}

// The largest difference between the samples in [from, to).
int Apart(const Samples& a, const Samples& b, std::size_t from, std::size_t to) {
    int most = 0;
    for (std::size_t i = from; i < std::min({to, a.size(), b.size()}); ++i) most = std::max(most, std::abs(a[i] - b[i]));
    return most;
}

int Loudest(const Samples& s, std::size_t from, std::size_t to) {
    int most = 0;
    for (std::size_t i = from; i < to; ++i) most = std::max(most, std::abs(int{s[i]}));
    return most;
}

class MusicLoop : public ::testing::Test {
protected:
    // A run of the engine keeping its takes in `takes`: the passes it plays, the takes
    // asked for written before the second.
    std::vector<Samples> Run(const fs::path& takes, int passes) {
        music::KeepTakesIn(takes);
        if (!music::StartMusic()) return {};
        EXPECT_TRUE(music::LoadMusic(0, "loop.mid"));
        std::vector<Samples> played;
        for (int pass = 0; pass < passes; ++pass) {
            music::PlayMusic(0);
            played.push_back(Pass());
            music::FinishTakes();
        }
        music::ShutDownMusic();
        return played;
    }
    static std::vector<fs::path> Takes(const fs::path& folder) {
        std::vector<fs::path> files;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(folder, error)) files.push_back(entry.path());
        return files;
    }
    void SetUp() override {
        // One organ note held to the piece's end at 1.0 s, so its release sounds past the end.
        test::WriteFile("loop.mid", test::OrganNote(960, 960));
    }

    test::ScratchDir dir_;
};

TEST_F(MusicLoop, LaterPassesAndRunsReadTheFirstBackOverTheTailsOfThePassBefore) {
    const fs::path takes = dir_.Path() / "cache/music";
    const std::vector<Samples> played = Run(takes, 4);
    if (played.empty()) GTEST_SKIP() << "no soundfont";
    ASSERT_EQ(Takes(takes).size(), 1u);
    const Samples& first = played[0];
    ASSERT_GT(first.size(), 44100u * 2 * 9 / 10);
    // The note sounds, and a pass starts over the release of the one before; the first
    // starts from silence (its first 10 ms are the fade in).
    EXPECT_GT(Loudest(first, first.size() / 2, first.size()), 1000);
    const std::size_t fadeIn = 441 * 2;
    EXPECT_GT(Loudest(played[1], 0, fadeIn), 500);
    for (std::size_t pass = 1; pass < played.size(); ++pass) {
        SCOPED_TRACE(pass + 1);
        ASSERT_EQ(played[pass].size(), first.size());
        EXPECT_LE(Apart(played[pass], played[1], 0, first.size()), 2) << "not as the second pass";
        EXPECT_LE(Apart(played[pass], first, first.size() / 2, first.size()), 2)
            << "not as the first pass once the tails have died";
    }
    // A later run starts from the take as from silence.
    const std::vector<Samples> again = Run(takes, 1);
    ASSERT_EQ(again.size(), 1u);
    ASSERT_EQ(again[0].size(), first.size());
    EXPECT_LE(Apart(again[0], first, 0, first.size()), 2);
}

TEST_F(MusicLoop, TakesThatCannotBeWrittenOrAreDamagedLeaveTheMusicToTheSynthesizer) {
    // A folder that cannot be made: a file stands where it would go.
    test::WriteFile("blocked", "");
    const std::vector<Samples> unwritten = Run(dir_.Path() / "blocked/music", 2);
    if (unwritten.empty()) GTEST_SKIP() << "no soundfont";
    EXPECT_EQ(unwritten[1].size(), unwritten[0].size());
    EXPECT_GT(Loudest(unwritten[1], 0, 441 * 2), 500);

    const fs::path takes = dir_.Path() / "takes";
    const Samples first = Run(takes, 1).at(0);
    ASSERT_EQ(Takes(takes).size(), 1u);
    const fs::path take = Takes(takes)[0];
    const auto whole = fs::file_size(take);
    // Cut short: played on the synthesizer, and written whole again.
    fs::resize_file(take, whole / 2);
    Samples played = Run(takes, 1).at(0);
    EXPECT_EQ(played.size(), first.size());
    EXPECT_GT(Loudest(played, played.size() / 2, played.size()), 1000);
    EXPECT_EQ(fs::file_size(take), whole);
    // Damaged inside: the pass keeps its length, and the file goes, to be written again.
    {
        std::fstream file(take, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(whole / 3));
        const std::string noise(64, '\x5A');
        file.write(noise.data(), static_cast<std::streamsize>(noise.size()));
    }
    played = Run(takes, 1).at(0);
    EXPECT_EQ(played.size(), first.size());
    EXPECT_FALSE(fs::exists(take));
}

}  // namespace
