// The MIDI scanner on files made here: what it refuses, the instruments and timing it
// reads, and a piece cut to start at a later tick.
#include "platform/music/midi_scan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/midi.h"

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

const std::string END_OF_TRACK("\0\xFF\x2F\0", 4);

TEST(MidiScan, RefusesWhatIsNotWellFormedAndReadsInstrumentsAndTiming) {
    std::vector<music::MidiPreset> presets;
    music::MidiTiming timing;
    ASSERT_TRUE(music::ScanMidi(Bytes(test::OrganNote(960, 960)), &presets, &timing));
    EXPECT_EQ(presets, (std::vector<music::MidiPreset>{{0, 0}, {128, 0}, {0, 16}}));
    EXPECT_EQ(timing.division, 480);
    EXPECT_EQ(music::TickAt(timing, 1.5), 1440);

    const struct {
        const char* what;
        std::string events;
    } refused[] = {
        {"a data byte with its high bit", std::string("\0\x90\x3C\x90", 4) + END_OF_TRACK},
        {"no end of track", std::string("\0\x90\x3C\x64", 4)},
        {"a running status with none before", std::string("\0\x3C\x64", 3) + END_OF_TRACK},
    };
    for (const auto& r : refused) EXPECT_FALSE(music::ScanMidi(Bytes(test::MidiFile(96, r.events)), &presets)) << r.what;
    // Cut inside its track (the bytes cut off still lie beyond the end, where a read past
    // it would find them).
    std::vector<std::uint8_t> cut = Bytes(test::OrganNote(960, 960));
    cut.resize(cut.size() - 3);
    EXPECT_FALSE(music::ScanMidi(cut, &presets));
}

TEST(MidiScan, WithoutATempoABeatIsHalfASecond) {
    music::MidiTiming timing;
    std::vector<music::MidiPreset> presets;
    ASSERT_TRUE(music::ScanMidi(Bytes(test::MidiFile(480, END_OF_TRACK)), &presets, &timing));
    EXPECT_EQ(music::TickAt(timing, 1.0), 960);
}

// Before the start tick the instrument and tempo are set at tick 0, notes (struck or
// released) are dropped, and the rest follows at the same distances.
TEST(MidiScan, APieceFromATickOnKeepsTheSceneAndDropsTheNotesBefore) {
    const std::string expected = test::MidiFile(480, std::string("\0\xFF\x51\x03\x07\xA1\x20", 7) +
                                                         std::string("\0\xC0\x10", 3) + test::MidiDelta(920) +
                                                         std::string("\xFF\x2F\0", 3));
    EXPECT_EQ(music::StartingAt(Bytes(test::OrganNote(960, 1920)), 1000), Bytes(expected));
}

}  // namespace
