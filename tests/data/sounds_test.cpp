// The music pieces are standard MIDI files whose every track is well formed and ends with
// its end-of-track event, of a length that suits a looping scene; the effects are 16-bit
// PCM WAVs that are short and audible.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/support/harness.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The names the game opens them by.
constexpr const char* PIECES[] = {"BATTLE03.mid", "BATTLE02.mid", "ENDING.mid", "GAMEOVER.mid",
                                  "OPENING.mid",  "OPTION.mid",   "PROG.mid",   "RANK.mid"};
constexpr const char* EFFECTS[] = {"BreakEnem.wav", "dmg01.wav", "Sword.wav"};

Bytes ReadGameFile(const char* name) {
    Bytes bytes;
    std::FILE* file = OpenGameFile(name, "rb");
    if (file == nullptr) return bytes;
    int c;
    while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<std::uint8_t>(c));
    std::fclose(file);
    return bytes;
}

std::uint32_t Big(const Bytes& b, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) value = (value << 8) | b[at + i];
    return value;
}

std::uint32_t Little(const Bytes& b, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | b[at + i];
    return value;
}

bool Tag(const Bytes& b, std::size_t at, const char* tag) {
    return at + 4 <= b.size() && std::string(b.begin() + at, b.begin() + at + 4) == tag;
}

// What a MIDI file says about itself; `error` is empty when it parsed.
struct Song {
    std::string error;
    int tracks = 0;
    int notes = 0;
    double seconds = 0;
};

// One track chunk [at, end): its events in order, the last being FF 2F 00 exactly at
// the chunk's end.
class TrackReader {
public:
    TrackReader(const Bytes& bytes, std::size_t at, std::size_t end)
        : b_(bytes), at_(at), end_(end) {}

    // Adds the track's notes and tempo changes; the tick of its end in *endTick.
    std::string Read(int* notes, std::map<std::uint32_t, std::uint32_t>* tempos,
                     std::uint32_t* endTick) {
        std::uint32_t tick = 0;
        std::uint8_t running = 0;
        while (at_ < end_) {
            std::uint32_t delta;
            if (!Number(&delta)) return "bad delta time";
            tick += delta;
            if (at_ >= end_) return "event cut off";
            std::uint8_t status = b_[at_];
            if (status >= 0x80) {
                ++at_;
            } else if (running == 0) {
                return "data byte without a running status";
            } else {
                status = running;
            }
            if (status == 0xFF) {
                if (at_ >= end_) return "meta event cut off";
                const std::uint8_t type = b_[at_++];
                std::uint32_t length;
                if (!Number(&length) || length > end_ - at_) return "meta event runs past the track";
                if (type == 0x51 && length == 3) (*tempos)[tick] = Big(b_, at_, 3);
                at_ += length;
                if (type == 0x2F) {
                    if (length != 0) return "end of track with data";
                    if (at_ != end_) return "events after the end of track";
                    *endTick = tick;
                    return "";
                }
            } else if (status == 0xF0 || status == 0xF7) {
                std::uint32_t length;
                if (!Number(&length) || length > end_ - at_) return "sysex runs past the track";
                at_ += length;
                running = 0;
            } else if (status >= 0xF0) {
                return "system message in a file";
            } else {
                running = status;
                const std::size_t size = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
                if (size > end_ - at_) return "channel message cut off";
                for (std::size_t i = 0; i < size; ++i) {
                    if (b_[at_ + i] >= 0x80) return "status byte inside a message";
                }
                if ((status & 0xF0) == 0x90 && b_[at_ + 1] > 0) ++*notes;
                at_ += size;
            }
        }
        return "no end of track";
    }

private:
    // A variable-length number of at most four bytes.
    bool Number(std::uint32_t* value) {
        *value = 0;
        for (int i = 0; i < 4 && at_ < end_; ++i) {
            const std::uint8_t byte = b_[at_++];
            *value = (*value << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) return true;
        }
        return false;
    }

    const Bytes& b_;
    std::size_t at_;
    std::size_t end_;
};

Song ParseMidi(const Bytes& b) {
    Song song;
    if (!Tag(b, 0, "MThd") || b.size() < 14 || Big(b, 4, 4) != 6) {
        song.error = "no MThd header of length 6";
        return song;
    }
    const std::uint32_t format = Big(b, 8, 2), declared = Big(b, 10, 2), division = Big(b, 12, 2);
    if (format > 1 || declared == 0 || division == 0 || (division & 0x8000) != 0) {
        song.error = "format, track count or division unusable";
        return song;
    }
    std::map<std::uint32_t, std::uint32_t> tempos;
    std::uint32_t lastTick = 0;
    std::size_t at = 14;
    while (at < b.size()) {
        if (b.size() - at < 8) {
            song.error = "chunk header cut off";
            return song;
        }
        const std::size_t length = Big(b, at + 4, 4);
        if (length > b.size() - at - 8) {
            song.error = "chunk length runs past the file";
            return song;
        }
        if (Tag(b, at, "MTrk")) {
            std::uint32_t endTick = 0;
            TrackReader track(b, at + 8, at + 8 + length);
            const std::string error = track.Read(&song.notes, &tempos, &endTick);
            if (!error.empty()) {
                song.error = "track " + std::to_string(song.tracks) + ": " + error;
                return song;
            }
            lastTick = std::max(lastTick, endTick);
            ++song.tracks;
        }
        at += 8 + length;
    }
    if (song.tracks != static_cast<int>(declared)) song.error = "track count differs from MThd";
    // Play time to the last end of track, through the tempo map (120 bpm until set).
    std::uint32_t tick = 0, tempo = 500000;
    for (const auto& [at_tick, next] : tempos) {
        if (at_tick >= lastTick) break;
        song.seconds += double(at_tick - tick) * tempo / division / 1e6;
        tick = at_tick;
        tempo = next;
    }
    song.seconds += double(lastTick - tick) * tempo / division / 1e6;
    return song;
}

class Sounds : public ::testing::Test {
protected:
    void SetUp() override { test::CopyRealData(); }
    test::ScratchDir dir_;
};

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
}

// The parser itself must refuse what the game's sequencer would stumble over.
TEST_F(Sounds, MidiCheckCatchesACutTrackAndAMissingEndOfTrack) {
    const Bytes good = ReadGameFile(PIECES[0]);
    ASSERT_EQ(ParseMidi(good).error, "");
    Bytes cut(good.begin(), good.end() - 3);  // the FF 2F 00 of the last track
    EXPECT_NE(ParseMidi(cut).error, "");
    Bytes unended = good;
    unended[unended.size() - 2] = 0x01;  // a text event instead of the end of track
    EXPECT_NE(ParseMidi(unended).error, "");
}

TEST_F(Sounds, EffectsAreShortAudible16BitPcm) {
    for (const char* name : EFFECTS) {
        SCOPED_TRACE(name);
        const Bytes b = ReadGameFile(name);
        ASSERT_GE(b.size(), 12u) << "missing or cut";
        ASSERT_TRUE(Tag(b, 0, "RIFF") && Tag(b, 8, "WAVE"));
        EXPECT_LE(Little(b, 4, 4) + 8u, b.size());
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
                EXPECT_EQ(Little(b, at + 16, 4), rate * blockAlign) << "byte rate";
            } else if (Tag(b, at, "data")) {
                data = at + 8;
                dataSize = static_cast<std::uint32_t>(size);
            }
            at += 8 + size + (size & 1);
        }
        ASSERT_TRUE(channels == 1 || channels == 2);
        ASSERT_EQ(blockAlign, channels * 2);
        ASSERT_GT(rate, 0u);
        ASSERT_GT(dataSize, 0u) << "no data chunk";
        EXPECT_EQ(dataSize % blockAlign, 0u);
        const double seconds = double(dataSize) / (rate * blockAlign);
        EXPECT_GE(seconds, 0.1);
        EXPECT_LE(seconds, 1.5);
        int peak = 0;
        for (std::size_t i = 0; i + 1 < dataSize; i += 2) {
            const auto sample = static_cast<std::int16_t>(Little(b, data + i, 2));
            peak = std::max(peak, sample < 0 ? -sample : int{sample});
        }
        EXPECT_GT(peak, 3000) << "silent";
    }
}

}  // namespace
