// The music pieces are standard MIDI files whose every track is well formed and ends with
// its end-of-track event; the effects are short 16-bit PCM WAVs, audible and unclipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/harness.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The files as shipped, under the names the game opens them by.
Bytes ReadShipped(const char* name) {
    const std::string bytes = test::ReadFile(std::string(LB_SOURCE_DIR) + "/data/" + name);
    return Bytes(bytes.begin(), bytes.end());
}

// MIDI numbers are big-endian, WAV numbers little-endian.
std::uint32_t Number(const Bytes& b, std::size_t at, int size, bool little = false) {
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) value = (value << 8) | b[at + (little ? size - 1 - i : i)];
    return value;
}

bool Tag(const Bytes& b, std::size_t at, const char* tag) {
    return at + 4 <= b.size() && std::string(b.begin() + at, b.begin() + at + 4) == tag;
}

// Whether the events of the track chunk [at, end) run in order to an end of track exactly
// at the chunk's end; counts the notes struck.
bool TrackIsWhole(const Bytes& b, std::size_t at, std::size_t end, int* notes) {
    auto number = [&](std::uint32_t* value) {  // variable length, at most four bytes
        *value = 0;
        for (int i = 0; i < 4 && at < end; ++i) {
            *value = (*value << 7) | (b[at] & 0x7F);
            if ((b[at++] & 0x80) == 0) return true;
        }
        return false;
    };
    std::uint32_t value = 0;
    std::uint8_t running = 0;
    while (at < end) {
        if (!number(&value) || at >= end) return false;
        std::uint8_t status = b[at];
        if (status >= 0x80) {
            ++at;
        } else if (running == 0) {
            return false;
        } else {
            status = running;
        }
        if (status == 0xFF || status == 0xF0 || status == 0xF7) {
            const int type = status == 0xFF && at < end ? b[at++] : -1;
            if (!number(&value) || value > end - at) return false;
            at += value;
            if (type == 0x2F) return value == 0 && at == end;
            if (status != 0xFF) running = 0;
        } else if (status >= 0xF0) {
            return false;  // a system message has no place in a file
        } else {
            running = status;
            const std::size_t size = (status & 0xE0) == 0xC0 ? 1 : 2;  // program, pressure
            if (size > end - at || b[at] >= 0x80 || (size == 2 && b[at + 1] >= 0x80)) return false;
            *notes += (status & 0xF0) == 0x90 && b[at + 1] > 0;
            at += size;
        }
    }
    return false;
}

TEST(Sounds, MusicPiecesAreStandardMidiFilesWithWholeTracks) {
    for (const char* name : {"BATTLE03.mid", "BATTLE02.mid", "ENDING.mid", "GAMEOVER.mid",
                             "OPENING.mid", "OPTION.mid", "PROG.mid", "RANK.mid"}) {
        SCOPED_TRACE(name);
        const Bytes b = ReadShipped(name);
        ASSERT_TRUE(Tag(b, 0, "MThd") && b.size() >= 14 && Number(b, 4, 4) == 6) << "no MIDI header";
        const std::uint32_t format = Number(b, 8, 2), ticksPerBeat = Number(b, 12, 2);
        EXPECT_TRUE(format <= 1 && ticksPerBeat > 0 && ticksPerBeat < 0x8000) << "format, ticks per beat";
        std::uint32_t tracks = 0;
        int notes = 0;
        for (std::size_t chunk = 14; chunk < b.size();) {
            ASSERT_TRUE(b.size() - chunk >= 8 && Number(b, chunk + 4, 4) <= b.size() - chunk - 8)
                << "chunk runs past the file";
            const std::size_t end = chunk + 8 + Number(b, chunk + 4, 4);
            if (Tag(b, chunk, "MTrk")) {
                EXPECT_TRUE(TrackIsWhole(b, chunk + 8, end, &notes)) << "track " << tracks;
                ++tracks;
            }
            chunk = end;
        }
        EXPECT_EQ(tracks, Number(b, 10, 2));
        EXPECT_GT(notes, 0);
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
        EXPECT_EQ(Number(b, 20, 2, true), 1u) << "not PCM";
        EXPECT_EQ(Number(b, 34, 2, true), 16u) << "not 16-bit";
        const std::uint32_t channels = Number(b, 22, 2, true), rate = Number(b, 24, 4, true);
        const std::uint32_t blockAlign = Number(b, 32, 2, true), dataSize = Number(b, 40, 4, true);
        ASSERT_TRUE((channels == 1 || channels == 2) && blockAlign == channels * 2) << channels;
        ASSERT_TRUE(dataSize > 0 && dataSize <= b.size() - 44) << dataSize;
        const double seconds = double(dataSize) / (rate * blockAlign);
        EXPECT_TRUE(seconds >= 0.1 && seconds <= 1.5) << seconds;
        int peak = 0;
        for (std::size_t i = 0; i + 1 < dataSize; i += 2) {
            peak = std::max(peak, std::abs(int{static_cast<std::int16_t>(Number(b, 44 + i, 2, true))}));
        }
        EXPECT_GT(peak, 3000) << "silent";
        EXPECT_LT(peak, 32767) << "clipped";
    }
}

}  // namespace
