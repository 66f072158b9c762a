// The music engine on pieces made here: a piece's end reported once, on its last tick; the
// fades of a stop and a change; a restart over the tails of its own end; a stop that
// cancels a piece waiting for a fade; a chord past the voice limit.
#include "platform/music/music.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/harness.h"

namespace {

constexpr int BLOCK = 64;              // frames per render call, as the engine's own block
constexpr int HALF_SECOND = 22050;     // the pieces' length: 96 ticks at 96 a beat, 120 a minute
constexpr int RAMP = 441;              // 10 ms

// A format-0 file: `keys` keys from `first` up struck together on channel 0 at tick 0,
// released at tick 96, where the track ends.
std::string Piece(int first, int keys) {
    std::string track;
    track += std::string("\0\xC0\x00", 3);  // program 0
    for (int key = first; key < first + keys; ++key) track += std::string("\0\x90", 2) + char(key) + '\x64';
    for (int key = first; key < first + keys; ++key) {
        track += std::string(key == first ? "\x60\x80" : "\0\x80", 2) + char(key) + '\0';
    }
    return test::MidiFile(96, track + std::string("\0\xFF\x2F\0", 4));
}

class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!music::StartMusic()) GTEST_SKIP() << "no soundfont";
        test::WriteFile("note.mid", Piece(60, 1));
        test::WriteFile("chord.mid", Piece(0, 128));
        ASSERT_TRUE(music::LoadMusic(1, "note.mid") && music::LoadMusic(2, "note.mid"));
        ASSERT_TRUE(music::LoadMusic(3, "chord.mid"));
    }
    void TearDown() override { music::ShutDownMusic(); }

    // Renders block by block until a piece ends or `limit` frames have passed; the frames
    // rendered, and which piece ended (-1 for none).
    std::pair<int, int> RenderUntilEnd(int limit) {
        for (int frames = 0; frames < limit;) {
            const int ended = music::RenderMusic(buffer_.data(), BLOCK);
            frames += BLOCK;
            if (ended >= 0) return {frames, ended};
        }
        return {limit, -1};
    }
    // The loudest sample of the next `frames` frames.
    int Peak(int frames) {
        int peak = 0;
        for (int done = 0; done < frames; done += BLOCK) {
            music::RenderMusic(buffer_.data(), BLOCK);
            for (std::int16_t sample : buffer_) peak = std::max(peak, std::abs(int{sample}));
        }
        return peak;
    }

    test::ScratchDir dir_;
    std::vector<std::int16_t> buffer_ = std::vector<std::int16_t>(BLOCK * 2);
};

// Reported once, within a block of the last tick, while the released note still sounds.
TEST_F(Engine, APieceEndsOnceOnItsLastTickBeforeItsTailDies) {
    music::PlayMusic(1);
    const auto [frames, ended] = RenderUntilEnd(2 * HALF_SECOND);
    EXPECT_EQ(ended, 1);
    EXPECT_NEAR(frames, HALF_SECOND, 2 * BLOCK);
    EXPECT_GT(Peak(BLOCK), 0) << "the tail";
    EXPECT_EQ(RenderUntilEnd(HALF_SECOND).second, -1) << "a second report";
}

// A stop and a lowered level ramp down over 10 ms rather than cut: the first block after
// them still sounds, and the one after the ramp is silent.
TEST_F(Engine, StopsAndLevelsRampOverTenMilliseconds) {
    music::PlayMusic(1);
    EXPECT_GT(Peak(4 * BLOCK), 1000);
    music::SetMusicLevel(0.0f);
    EXPECT_GT(Peak(BLOCK), 0);
    Peak(RAMP);
    EXPECT_EQ(Peak(BLOCK), 0);
    music::SetMusicLevel(1.0f);
    EXPECT_GT(Peak(RAMP), 0);
    music::StopMusic(1);
    EXPECT_GT(Peak(BLOCK), 0);
    Peak(RAMP);
    EXPECT_EQ(Peak(BLOCK), 0);
    EXPECT_EQ(RenderUntilEnd(HALF_SECOND).second, -1) << "a stopped piece never ends";
}

// The piece that has just ended starts again at once over its tails; another piece waits
// for what sounds to fade out first.
TEST_F(Engine, ARestartAfterItsEndStartsAtOnceAndAChangeAfterAFade) {
    music::PlayMusic(1);
    ASSERT_EQ(RenderUntilEnd(2 * HALF_SECOND).second, 1);
    music::PlayMusic(1);
    const auto [again, endedAgain] = RenderUntilEnd(2 * HALF_SECOND);
    EXPECT_EQ(endedAgain, 1);
    EXPECT_NEAR(again, HALF_SECOND, 2 * BLOCK);
    music::PlayMusic(2);
    const auto [changed, endedChanged] = RenderUntilEnd(2 * HALF_SECOND);
    EXPECT_EQ(endedChanged, 2);
    EXPECT_NEAR(changed, HALF_SECOND + RAMP, 2 * BLOCK);
}

// A piece asked for while another fades out, then stopped before the fade ends, never
// starts; neither does a piece released while it waits.
TEST_F(Engine, AStopDuringAFadeCancelsThePieceWaitingForIt) {
    music::PlayMusic(1);
    Peak(4 * BLOCK);
    music::PlayMusic(2);
    Peak(BLOCK);
    music::StopMusic(2);
    EXPECT_EQ(RenderUntilEnd(2 * HALF_SECOND).second, -1);
    EXPECT_EQ(Peak(BLOCK), 0);
    music::PlayMusic(1);
    music::ReleaseMusic(1);
    EXPECT_EQ(RenderUntilEnd(2 * HALF_SECOND).second, -1);
}

// 128 keys at once, twice the voices the synthesizer keeps: the oldest give way, the
// piece still ends on time, and nothing overflows the samples.
TEST_F(Engine, AChordPastTheVoiceLimitPlaysAndEndsOnTime) {
    music::PlayMusic(3);
    const auto [frames, ended] = RenderUntilEnd(2 * HALF_SECOND);
    EXPECT_EQ(ended, 3);
    EXPECT_NEAR(frames, HALF_SECOND, 2 * BLOCK);
}

}  // namespace
