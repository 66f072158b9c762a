// A looping piece is synthesized once and its later passes replayed from memory: each
// pass ends after as many frames as the first, and sounds as the synthesizer would make
// it, the tails of the pass before included (a note held to the piece's end rings on
// into the next pass). Uses the system's soundfont.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/music/music.h"
#include "tests/support/midi.h"

namespace {

constexpr int BLOCK = 512;

// Renders until the piece reports its end: one pass, from its start.
std::vector<std::int16_t> Pass() {
    std::vector<std::int16_t> samples;
    for (bool ended = false; !ended && samples.size() < 44100 * 2 * 5;) {
        const std::size_t at = samples.size();
        samples.resize(at + BLOCK * 2);
        ended = music::RenderMusic(samples.data() + at, BLOCK) == 0;
    }
    return samples;
}

TEST(MusicLoop, EveryPassLastsAndSoundsAsTheSecondOverTheTailsOfTheOneBefore) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("lb-loop-" + std::to_string(::getpid()) + ".mid");
    // One organ note held to the piece's end at 1.0 s, so its release sounds past the end.
    std::ofstream(file, std::ios::binary) << test::OrganNote(960, 960);
    if (!music::StartMusic()) GTEST_SKIP() << "no soundfont";
    ASSERT_TRUE(music::LoadMusic(0, file.string()));
    music::PlayMusic(0);
    const std::vector<std::int16_t> first = Pass();
    std::vector<std::vector<std::int16_t>> later;
    for (int pass = 0; pass < 3; ++pass) {
        music::PlayMusic(0);
        later.push_back(Pass());
    }
    music::ShutDownMusic();
    std::filesystem::remove(file);

    ASSERT_GT(first.size(), 44100u * 2 * 9 / 10);
    const auto loudest = [](const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
        int most = 0;
        for (std::size_t i = from; i < to; ++i) most = std::max(most, std::abs(int{s[i]}));
        return most;
    };
    // The note sounds, and a pass starts over the release of the one before; the first
    // starts from silence (its first 10 ms are the fade in).
    EXPECT_GT(loudest(first, first.size() / 2, first.size()), 1000);
    const std::size_t fadeIn = 441 * 2;
    EXPECT_GT(loudest(later[0], 0, fadeIn), 500);
    for (std::size_t pass = 0; pass < later.size(); ++pass) {
        SCOPED_TRACE(pass + 2);
        ASSERT_EQ(later[pass].size(), first.size());
        int apart = 0;
        for (std::size_t i = 0; i < first.size(); ++i) apart = std::max(apart, std::abs(later[pass][i] - later[0][i]));
        EXPECT_LE(apart, 2) << "not as the second pass";
        int fromFirst = 0;
        for (std::size_t i = first.size() / 2; i < first.size(); ++i) {
            fromFirst = std::max(fromFirst, std::abs(later[pass][i] - first[i]));
        }
        EXPECT_LE(fromFirst, 2) << "not as the first pass once the tails have died";
    }
}

}  // namespace
