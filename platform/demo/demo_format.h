// The demo file: a run's inputs as the game read them, in order, with checks of the
// game's state as it played. Laid out in docs/demos.md, with the bounds below.
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
constexpr std::uint8_t TAG_FRAME = 0x84;     // a presented frame (its fields depend on the format)
constexpr std::uint8_t TAG_CLEAR = 0x85;     // varint play time ms, varint score
constexpr std::uint8_t TAG_FILE = 0x86;      // 0 absent, or 1 and varint length and bytes
constexpr std::uint8_t TAG_PUMP = 0x87;      // a pump that brought no input
constexpr std::uint8_t TAG_STAGE = 0x88;     // a stage begins (format 2 on)
constexpr std::uint8_t TAG_CHECK = 0x89;     // 4 bytes: the state check of every frame so far in the run (format 3)
constexpr std::uint8_t EVENT_CLOSE = 0xFF;

// Format 3 checks the game's state; formats 1 and 2 checked pixels, and are now checked
// by their clears alone.
constexpr std::uint8_t DEMO_FORMAT = 3;
// Goes up when a rule of play changes: a demo of another rules version is refused.
constexpr std::uint32_t DEMO_RULES = 1;

// Bounds: a demo beyond any of them is refused unplayed.
constexpr std::uint64_t DEMO_MAX_FILE_BYTES = 4u << 20;
constexpr std::uint64_t DEMO_MAX_STREAM_BYTES = 32u << 20;
constexpr std::uint64_t DEMO_MAX_FRAMES = 540000;                  // three hours at 50 a second
constexpr std::uint64_t DEMO_MAX_CLOCK_MS = 3ull * 3600 * 1000;    // three hours of the game's clock
constexpr std::size_t DEMO_MAX_KEPT_FILE = 64u << 10;              // a ranking file is six numbers
constexpr std::size_t DEMO_MAX_EVENTS = 64;                        // key presses and closes in one pump
constexpr std::size_t DEMO_MAX_FINISHED = 16;                      // pieces ended at one pump
constexpr std::size_t DEMO_MAX_START = 4096;                       // the state a run starts from
constexpr std::size_t DEMO_MAX_VERSION = 32;
constexpr std::size_t DEMO_MAX_PLAYER = 16;

// The state checks and the inputs digest are FNV-1a 64.
constexpr std::uint64_t FNV_OFFSET = 0xcbf29ce484222325u;
constexpr std::uint64_t FNV_PRIME = 0x100000001b3u;

constexpr const char* DEMO_DEFAULT_PLAYER = "PLAYER";

struct DemoHeader {
    std::uint8_t format = DEMO_FORMAT;
    std::uint32_t rules = DEMO_RULES;
    std::string version;          // the game version that recorded it
    std::uint64_t stageHash = 0;  // of the stage files it was played on
    std::string player = DEMO_DEFAULT_PLAYER;
    std::uint64_t date = 0;  // UTC seconds
    // The state the run starts from (empty: the game's own start), so that a demo holds
    // only its run: the recorder's clock and keys, then what the game carries over.
    std::vector<std::uint8_t> start;
};

struct DemoClear {
    std::uint32_t playTimeMs;
    std::uint32_t score;
};

// What a format-3 frame record keeps plainly: the scene, the play clock and the hero.
struct DemoFramePoint {
    int scene = 0;
    std::uint32_t playTimeMs = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint8_t dir = 0;
    std::uint8_t anim = 0;
    std::uint8_t attack = 0;
};

// What a scan of the whole stream found.
struct DemoScan {
    std::uint64_t frames = 0;
    std::uint64_t clockMs = 0;
    std::vector<DemoClear> clears;
    // Where the run of the last clear began: the offset of the last stage start before
    // that clear, or 0.
    std::uint64_t lastRunStart = 0;
    // A digest of the inputs and clock readings alone (and the start state): the same
    // whatever the name, the date or the packing.
    std::uint64_t inputs = 0;
};

struct Demo {
    DemoHeader header;
    std::vector<std::uint8_t> packed;  // the stream deflated
    std::uint64_t streamLength = 0;
    DemoScan scan;  // filled by DecodeDemo
};

void PutVarint(std::vector<std::uint8_t>& out, std::uint64_t value);
// Reads a varint at *pos, moving past it; false when it runs off the end or overflows.
bool GetVarint(const std::vector<std::uint8_t>& in, std::size_t* pos, std::uint64_t* value);

// Packs a stream under the header (and scans it); false when the platform cannot pack.
// A stream past the bounds is packed as it is: DecodeDemo refuses it.
bool PackDemo(const DemoHeader& header, const std::vector<std::uint8_t>& stream, Demo* demo);
// The demo file's bytes.
std::string EncodeDemo(const Demo& demo);
// False, with *why, for bytes that are not a whole demo within the bounds; every record
// is read and checked here, a piece at a time, before a replay starts.
bool DecodeDemo(const std::string& bytes, Demo* demo, std::string* why);
// The file read and decoded; false with *why when it is missing, not a regular file, or
// not a demo. Opened without blocking, so a FIFO or a device is refused, never waited on.
bool ReadDemoFile(const std::string& path, Demo* demo, std::string* why);

// The whole stream unpacked (for tools and tests: it is at most DEMO_MAX_STREAM_BYTES).
bool UnpackDemo(const Demo& demo, std::vector<std::uint8_t>* stream);
// The hero's track: each frame's plain fields in order (empty before format 3).
std::vector<DemoFramePoint> DemoTrack(const Demo& demo);
