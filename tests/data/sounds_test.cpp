// The music pieces are standard MIDI files whose every track is well formed and ends with
// its end-of-track event, 20 to 90 seconds long; the effects are short, audible 16-bit
// PCM WAVs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/data/pictures.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Sounds = datatest::ShippedData;

// The names the game opens them by.
constexpr const char* PIECES[] = {"BATTLE03.mid", "BATTLE02.mid", "ENDING.mid", "GAMEOVER.mid",
                                  "OPENING.mid",  "OPTION.mid",   "PROG.mid",   "RANK.mid"};
constexpr const char* EFFECTS[] = {"BreakEnem.wav", "dmg01.wav", "Sword.wav"};

Bytes ReadGameFile(const char* name) {
    Bytes bytes;
    std::FILE* file = OpenGameFile(name, "rb");
    if (file == nullptr) return bytes;
    for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(static_cast<std::uint8_t>(c));
    std::fclose(file);
    return bytes;
}

// MIDI numbers are big-endian, WAV numbers little-endian.
std::uint32_t Big(const Bytes& b, std::size_t at, int size, bool little = false) {
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) value = (value << 8) | b[at + (little ? size - 1 - i : i)];
    return value;
}

std::uint32_t Little(const Bytes& b, std::size_t at, int size) { return Big(b, at, size, true); }

bool Tag(const Bytes& b, std::size_t at, const char* tag) {
    return at + 4 <= b.size() && std::string(b.begin() + at, b.begin() + at + 4) == tag;
}

// Reads the track chunk [at, end), adding its notes and tempo changes, and raising
// *lastTick to the tick of its end. The error, or "" when the events run in order to an
// FF 2F 00 exactly at the chunk's end.
std::string ReadTrack(const Bytes& b, std::size_t at, std::size_t end, int* notes,
                      std::map<std::uint32_t, std::uint32_t>* tempos, std::uint32_t* lastTick) {
    auto number = [&](std::uint32_t* value) {  // variable length, at most four bytes
        *value = 0;
        for (int i = 0; i < 4 && at < end; ++i) {
            *value = (*value << 7) | (b[at] & 0x7F);
            if ((b[at++] & 0x80) == 0) return true;
        }
        return false;
    };
    std::uint32_t tick = 0, value = 0;
    std::uint8_t running = 0;
    while (at < end) {
        if (!number(&value) || at >= end) return "event cut off";
        tick += value;
        std::uint8_t status = b[at];
        if (status >= 0x80) {
            ++at;
        } else if (running == 0) {
            return "data byte without a running status";
        } else {
            status = running;
        }
        if (status == 0xFF || status == 0xF0 || status == 0xF7) {
            const int type = status == 0xFF && at < end ? b[at++] : -1;
            if (!number(&value) || value > end - at) return "meta or sysex runs past the track";
            if (type == 0x51 && value == 3) (*tempos)[tick] = Big(b, at, 3);
            at += value;
            if (type == 0x2F) {
                if (value != 0 || at != end) return "end of track with data or events after it";
                *lastTick = std::max(*lastTick, tick);
                return "";
            }
            if (status != 0xFF) running = 0;
        } else if (status >= 0xF0) {
            return "system message in a file";
        } else {
            running = status;
            const std::size_t size = (status & 0xE0) == 0xC0 ? 1 : 2;  // program, pressure
            if (size > end - at || b[at] >= 0x80 || (size == 2 && b[at + 1] >= 0x80)) {
                return "channel message cut off";
            }
            *notes += (status & 0xF0) == 0x90 && b[at + 1] > 0;
            at += size;
        }
    }
    return "no end of track";
}

struct Song {
    std::string error;  // empty when it parsed
    int notes = 0;
    double seconds = 0;  // to the last end of track
};

Song ParseMidi(const Bytes& b) {
    Song song;
    auto fail = [&](const std::string& why) {
        song.error = why;
        return song;
    };
    if (!Tag(b, 0, "MThd") || b.size() < 14 || Big(b, 4, 4) != 6) return fail("no MThd of 6");
    const std::uint32_t format = Big(b, 8, 2), declared = Big(b, 10, 2), division = Big(b, 12, 2);
    if (format > 1 || declared == 0 || division == 0 || (division & 0x8000) != 0) {
        return fail("format, track count or division unusable");
    }
    std::map<std::uint32_t, std::uint32_t> tempos;
    std::uint32_t lastTick = 0, tracks = 0;
    for (std::size_t chunk = 14; chunk < b.size();) {
        if (b.size() - chunk < 8 || Big(b, chunk + 4, 4) > b.size() - chunk - 8) {
            return fail("chunk runs past the file");
        }
        const std::size_t end = chunk + 8 + Big(b, chunk + 4, 4);
        if (Tag(b, chunk, "MTrk")) {
            const std::string error = ReadTrack(b, chunk + 8, end, &song.notes, &tempos, &lastTick);
            if (!error.empty()) return fail("track " + std::to_string(tracks) + ": " + error);
            ++tracks;
        }
        chunk = end;
    }
    if (tracks != declared) return fail("track count differs from MThd");
    std::uint32_t tick = 0, tempo = 500000;  // 120 bpm until set
    for (const auto& [at, next] : tempos) {
        if (at >= lastTick) break;
        song.seconds += double(at - tick) * tempo / division / 1e6;
        tick = at;
        tempo = next;
    }
    song.seconds += double(lastTick - tick) * tempo / division / 1e6;
    return song;
}

TEST_F(Sounds, MusicPiecesAreStandardMidiFilesOfTwentyToNinetySeconds) {
    for (const char* name : PIECES) {
        SCOPED_TRACE(name);
        const Bytes bytes = ReadGameFile(name);
        ASSERT_FALSE(bytes.empty()) << "missing";
        const Song song = ParseMidi(bytes);
        ASSERT_EQ(song.error, "");
        EXPECT_GT(song.notes, 0);
        EXPECT_GE(song.seconds, 20.0);
        EXPECT_LE(song.seconds, 90.0);
    }
    // The check itself refuses a cut last track and a text event in place of its end.
    Bytes bytes = ReadGameFile(PIECES[0]);
    EXPECT_NE(ParseMidi(Bytes(bytes.begin(), bytes.end() - 3)).error, "");
    bytes[bytes.size() - 2] = 0x01;
    EXPECT_NE(ParseMidi(bytes).error, "");
}

TEST_F(Sounds, EffectsAreShortAudible16BitPcm) {
    for (const char* name : EFFECTS) {
        SCOPED_TRACE(name);
        const Bytes b = ReadGameFile(name);
        ASSERT_TRUE(Tag(b, 0, "RIFF") && Tag(b, 8, "WAVE")) << "missing or not a WAV";
        std::uint32_t channels = 0, rate = 0, blockAlign = 0, dataSize = 0;
        std::size_t data = 0;
        for (std::size_t at = 12; at + 8 <= b.size();) {
            const std::size_t size = Little(b, at + 4, 4);
            ASSERT_LE(size, b.size() - at - 8) << "chunk runs past the file";
            if (Tag(b, at, "fmt ")) {
                ASSERT_GE(size, 16u);
                EXPECT_EQ(Little(b, at + 8, 2), 1u) << "not PCM";
                channels = Little(b, at + 10, 2);
                rate = Little(b, at + 12, 4);
                blockAlign = Little(b, at + 20, 2);
                EXPECT_EQ(Little(b, at + 22, 2), 16u) << "not 16-bit";
            } else if (Tag(b, at, "data")) {
                data = at + 8;
                dataSize = static_cast<std::uint32_t>(size);
            }
            at += 8 + size + (size & 1);
        }
        ASSERT_TRUE(channels == 1 || channels == 2);
        ASSERT_EQ(blockAlign, channels * 2);
        ASSERT_GT(dataSize, 0u) << "no data chunk";
        const double seconds = double(dataSize) / (rate * blockAlign);
        EXPECT_GE(seconds, 0.1);
        EXPECT_LE(seconds, 1.5);
        int peak = 0;
        for (std::size_t i = 0; i + 1 < dataSize; i += 2) {
            peak = std::max(peak, std::abs(int{static_cast<std::int16_t>(Little(b, data + i, 2))}));
        }
        EXPECT_GT(peak, 3000) << "silent";
    }
}

}  // namespace
