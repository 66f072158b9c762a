// The demo file: a run's inputs as the game read them, in order, with checks of what it
// drew and sounded. Laid out in docs/demos.md.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Record tags of the stream. Every read of the clock and every pump of the input is a
// record, so a replay meets each in the order the game made them. A tag below TAG_TICK is
// a clock read that found the clock moved on by that many ms (0: not at all).
constexpr std::uint8_t TAG_TICK = 0x80;      // a clock read, varint ms moved on
constexpr std::uint8_t TAG_KEY = 0x81;       // virtual key whose held state flips at the next pump
constexpr std::uint8_t TAG_EVENTS = 0x82;    // a pump: varint count, then a virtual key pressed (or EVENT_CLOSE) each
constexpr std::uint8_t TAG_FINISHED = 0x83;  // right after a pump: varint count, varint MCI device ids played to their end
constexpr std::uint8_t TAG_FRAME = 0x84;     // 16-bit check of a presented frame and the sounds before it
constexpr std::uint8_t TAG_CLEAR = 0x85;     // varint play time ms, varint score
constexpr std::uint8_t TAG_FILE = 0x86;      // 0 absent, or 1 and varint length and bytes
constexpr std::uint8_t TAG_PUMP = 0x87;      // a pump that brought no input
constexpr std::uint8_t TAG_STAGE = 0x88;     // a stage begins (format 2 on)
constexpr std::uint8_t EVENT_CLOSE = 0xFF;

struct Demo {
    std::string version;         // the game version that recorded it
    std::uint64_t stageHash = 0;  // of the stage files it was played on
    std::vector<std::uint8_t> stream;
};

void PutVarint(std::vector<std::uint8_t>& out, std::uint64_t value);
// Reads a varint at *pos, moving past it; false when it runs off the end or overflows.
bool GetVarint(const std::vector<std::uint8_t>& in, std::size_t* pos, std::uint64_t* value);

// The position after the record at `pos`; std::string::npos when it is damaged or cut.
std::size_t NextRecord(const std::vector<std::uint8_t>& stream, std::size_t pos);

// Where the run of the last clear began: the position of the last stage's start before
// that clear, or 0 when the stream has no clear or no stage starts.
std::size_t LastClearedRunStart(const std::vector<std::uint8_t>& stream);

// The demo file's bytes; empty when the platform cannot pack its stream.
std::string EncodeDemo(const Demo& demo);
// False, with *why, for bytes that are not a whole demo of this format.
bool DecodeDemo(const std::string& bytes, Demo* demo, std::string* why);

// The whole file read and decoded; false with *why when it is missing or not a demo.
bool ReadDemoFile(const std::string& path, Demo* demo, std::string* why);
