// The music pieces are standard MIDI files the music engine reads whole; the effects are
// short 16-bit PCM WAVs, audible and unclipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/music/midi_scan.h"
#include "tests/support/harness.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The files as shipped, under the names the game opens them by.
Bytes ReadShipped(const char* name) {
    const std::string bytes = test::ReadFile(LB_SOURCE_DIR "/data/" + std::string(name));
    return Bytes(bytes.begin(), bytes.end());
}

// WAV numbers are little-endian.
std::uint32_t Number(const Bytes& b, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | b[at + i];
    return value;
}

bool Tag(const Bytes& b, std::size_t at, const char* tag) {
    return at + 4 <= b.size() && std::string(b.begin() + at, b.begin() + at + 4) == tag;
}

// Read as the music engine reads them; each selects an instrument of its own beyond the
// defaults the scanner always lists first.
TEST(Sounds, MusicPiecesAreWholeMidiFilesTheEngineCanPlay) {
    for (const char* name : {"BATTLE03.mid", "BATTLE02.mid", "ENDING.mid", "GAMEOVER.mid",
                             "OPENING.mid", "OPTION.mid", "PROG.mid", "RANK.mid"}) {
        SCOPED_TRACE(name);
        std::vector<music::MidiPreset> presets;
        EXPECT_TRUE(music::ScanMidi(ReadShipped(name), &presets));
        EXPECT_GT(presets.size(), 2u);
    }
}

TEST(Sounds, EffectsAreShortAudibleUnclipped16BitPcm) {
    for (const char* name : {"BreakEnem.wav", "dmg01.wav", "Sword.wav"}) {
        SCOPED_TRACE(name);
        const Bytes b = ReadShipped(name);
        // The plain layout the generator writes: a RIFF header, then "fmt " and "data".
        ASSERT_TRUE(b.size() >= 44 && Tag(b, 0, "RIFF") && Tag(b, 8, "WAVE") && Tag(b, 12, "fmt ") &&
                    Tag(b, 36, "data"))
            << "missing or not a plain WAV";
        EXPECT_EQ(Number(b, 20, 2), 1u) << "not PCM";
        EXPECT_EQ(Number(b, 34, 2), 16u) << "not 16-bit";
        const std::uint32_t channels = Number(b, 22, 2), rate = Number(b, 24, 4);
        const std::uint32_t blockAlign = Number(b, 32, 2), dataSize = Number(b, 40, 4);
        ASSERT_TRUE((channels == 1 || channels == 2) && blockAlign == channels * 2) << channels;
        ASSERT_TRUE(dataSize > 0 && dataSize <= b.size() - 44) << dataSize;
        const double seconds = double(dataSize) / (rate * blockAlign);
        EXPECT_TRUE(seconds >= 0.1 && seconds <= 1.5) << seconds;
        int peak = 0;
        for (std::size_t i = 0; i + 1 < dataSize; i += 2) {
            peak = std::max(peak, std::abs(int{static_cast<std::int16_t>(Number(b, 44 + i, 2))}));
        }
        EXPECT_GT(peak, 3000) << "silent";
        EXPECT_LT(peak, 32767) << "clipped";
    }
}

}  // namespace
