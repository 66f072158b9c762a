// The recorder and the player behind each seam input: recording appends a record for
// every read; playing back answers each read from the next record, which must be of that
// read's kind: a record of another kind means the run has gone another way.
#include "platform/demo/demo.h"

#include <strings.h>

#include <algorithm>
#include <bitset>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/host/files.h"
#include "platform/host/suspension.h"
#include "platform/seam/keys.h"

namespace {

enum class Mode { Off, Recording, Replaying };

Mode g_mode = Mode::Off;
Demo g_demo;
std::size_t g_pos = 0;
std::uint32_t g_clock = 0;
std::bitset<256> g_held;
std::uint64_t g_soundHash = 0;
std::uint64_t g_frames = 0;
long g_difference = -1;
std::string g_differenceWhy;
bool g_paced = false;
std::size_t g_showFrom = 0;
bool g_stopped = false;
bool g_outputsOff = false;
bool g_paceStarted = false;
std::uint64_t g_paceRealStart = 0;
std::uint32_t g_paceClockStart = 0;
std::vector<DemoClear> g_clears;
std::string g_playerFolder;
std::thread::id g_owner;

// The event sink of the pump being recorded or replayed.
backend::EventSink g_sink{};
std::vector<std::uint8_t> g_events;

std::vector<std::uint8_t>& Out() { return g_demo.stream; }

void Differ(const std::string& why) {
    if (g_difference >= 0) return;
    g_difference = static_cast<long>(g_frames);
    g_differenceWhy = why;
}

// The next record when it has this tag, moving past the tag. Past the end every read
// finds nothing (the replay stops there); a record of another kind is a difference.
bool Take(std::uint8_t tag, const char* read) {
    if (g_difference >= 0 || g_pos >= g_demo.stream.size()) return false;
    if (g_demo.stream[g_pos] != tag) {
        Differ(std::string("the run ") + read + " where the recording did not");
        return false;
    }
    ++g_pos;
    return true;
}

// The next record, read while the replay still matches, has this tag. Reads the
// recording may or may not hold at a point (key changes, finished pieces, stage marks)
// look before they take.
bool NextIs(std::uint8_t tag) {
    return g_difference < 0 && g_pos < g_demo.stream.size() && g_demo.stream[g_pos] == tag;
}

std::uint64_t Varint() {
    std::uint64_t value = 0;
    GetVarint(g_demo.stream, &g_pos, &value);
    return value;
}

std::uint8_t Byte() { return g_demo.stream[g_pos++]; }

// Waits until the replay's clock is due on the real one.
void Pace() {
    if (!g_paceStarted) {
        g_paceStarted = true;
        g_paceRealStart = backend::NowMs();
        g_paceClockStart = g_clock;
    }
    const std::uint64_t due = g_paceRealStart + (g_clock - g_paceClockStart);
    for (std::uint64_t now = backend::NowMs(); now < due; now = backend::NowMs()) {
        backend::Idle(static_cast<std::uint32_t>(due - now));
    }
}

// Four interleaved FNV-1a lanes over 64-bit words, folded with the sound commands into
// 16 bits: cheap enough to run on every frame of every game.
std::uint16_t FrameCheck(const std::uint8_t* pixels, const std::uint32_t* palette) {
    std::uint64_t lanes[4] = {0xcbf29ce484222325u, 1, 2, 3};
    constexpr std::size_t BYTES = SCREEN_WIDTH * SCREEN_HEIGHT;
    for (std::size_t i = 0; i < BYTES; i += 32) {
        for (int lane = 0; lane < 4; ++lane) {
            std::uint64_t word;
            std::memcpy(&word, pixels + i + 8 * lane, 8);
            lanes[lane] = (lanes[lane] ^ word) * 0x100000001b3u;
        }
    }
    std::uint64_t hash = g_soundHash;
    for (std::uint64_t lane : lanes) hash = (hash ^ lane) * 0x100000001b3u;
    for (int i = 0; i < 256; ++i) hash = (hash ^ palette[i]) * 0x100000001b3u;
    return static_cast<std::uint16_t>(hash ^ (hash >> 16) ^ (hash >> 32) ^ (hash >> 48));
}

void CaptureKey(int virtualKey) { g_events.push_back(static_cast<std::uint8_t>(virtualKey)); }

void CaptureClose() { g_events.push_back(EVENT_CLOSE); }

// Posting a message reads the clock, so the pump's events go on only once its records are
// written, as they do in a replay.
void PassOn(const std::vector<std::uint8_t>& events) {
    for (std::uint8_t event : events) {
        if (event == EVENT_CLOSE) {
            g_sink.closeRequested();
        } else {
            g_sink.keyDown(event);
        }
    }
}

void ForwardActive(bool active) { g_sink.activeChanged(active); }

// While a demo plays, the keys of the one watching do nothing but Escape, which stops it.
void WatcherKey(int virtualKey) {
    if (virtualKey == VK_ESCAPE) g_stopped = true;
}

void WatcherClose() { g_stopped = true; }

// The player's files are kept in a demo as the game reads them, up to a size no ranking
// comes near; a replay reads them from the demo, never from the disk.
constexpr std::size_t MAX_KEPT_FILE = 1u << 20;

std::FILE* FilterRead(const char* gamePath, std::FILE* (*openLive)(const char*)) {
    // A save that waits for another game's lock reads on a thread of its own, at a time
    // no replay could meet again: that read is not part of the run.
    const bool players = g_mode != Mode::Off && !g_playerFolder.empty() && std::this_thread::get_id() == g_owner &&
                         strncasecmp(gamePath, g_playerFolder.c_str(), g_playerFolder.size()) == 0;
    if (!players) return openLive(gamePath);
    if (g_mode == Mode::Recording) {
        std::FILE* live = openLive(gamePath);
        Out().push_back(TAG_FILE);
        Out().push_back(live != nullptr ? 1 : 0);
        if (live == nullptr) return nullptr;
        std::vector<std::uint8_t> contents(MAX_KEPT_FILE);
        contents.resize(std::fread(contents.data(), 1, contents.size(), live));
        PutVarint(Out(), contents.size());
        Out().insert(Out().end(), contents.begin(), contents.end());
        std::rewind(live);
        return live;
    }
    if (!Take(TAG_FILE, "read the ranking") || Byte() == 0) return nullptr;
    const std::size_t length = static_cast<std::size_t>(Varint());
    std::FILE* copy = std::tmpfile();
    if (copy != nullptr) {
        std::fwrite(g_demo.stream.data() + g_pos, 1, length, copy);
        std::rewind(copy);
    }
    g_pos += length;
    return copy;
}

void Reset(Mode mode) {
    g_mode = mode;
    g_owner = std::this_thread::get_id();
    g_pos = 0;
    g_clock = 0;
    g_held.reset();
    g_soundHash = 0;
    g_frames = 0;
    g_difference = -1;
    g_differenceWhy.clear();
    g_paceStarted = false;
    g_stopped = false;
    g_clears.clear();
}

}  // namespace

void StartDemoRecording(const std::string& version, std::uint64_t stageHash) {
    Reset(Mode::Recording);
    g_demo = Demo{version, stageHash, {}};
    g_outputsOff = false;
    g_paced = false;
}

bool DemoRecording() { return g_mode == Mode::Recording; }

std::string DemoRecordingBytes() { return EncodeDemo(g_demo); }

void StartDemoReplay(const Demo& demo, bool paced, bool outputsOff) {
    Reset(Mode::Replaying);
    g_demo = demo;
    g_paced = paced;
    g_outputsOff = outputsOff;
    g_showFrom = paced ? LastClearedRunStart(demo.stream) : 0;
}

bool DemoOutputsOff() { return g_mode == Mode::Replaying && g_outputsOff; }

bool DemoPassingOver() { return g_mode == Mode::Replaying && g_pos < g_showFrom && g_difference < 0; }

bool DemoReplayOver() { return g_pos >= g_demo.stream.size(); }

bool DemoStopped() { return g_stopped; }

long DemoDifference(std::string* why) {
    if (why != nullptr) *why = g_differenceWhy;
    return g_difference;
}

std::uint64_t DemoFrames() { return g_frames; }

const std::vector<DemoClear>& DemoClears() { return g_clears; }

std::uint32_t DemoClock(std::uint32_t live) {
    if (g_mode == Mode::Recording) {
        const std::uint32_t step = live - g_clock;
        if (step < TAG_TICK) {
            Out().push_back(static_cast<std::uint8_t>(step));
        } else {
            Out().push_back(TAG_TICK);
            PutVarint(Out(), step);
        }
        g_clock = live;
    }
    if (g_mode != Mode::Replaying) return live;
    const bool shortStep = g_difference < 0 && g_pos < g_demo.stream.size() && g_demo.stream[g_pos] < TAG_TICK;
    if (shortStep) {
        g_clock += Byte();
    } else if (Take(TAG_TICK, "read the clock")) {
        g_clock += static_cast<std::uint32_t>(Varint());
    } else {
        return g_clock;
    }
    if (g_paced && !DemoPassingOver()) Pace();
    return g_clock;
}

bool DemoKeyHeld(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return false;
    if (g_mode == Mode::Off) return backend::KeyHeld(virtualKey);
    // Taken at each pump, so a replay can give every read between two pumps the same.
    return g_held[static_cast<std::size_t>(virtualKey)];
}

void DemoPumpEvents(const backend::EventSink& sink) {
    g_sink = sink;
    if (g_mode == Mode::Off) {
        backend::PumpEvents(sink);
    } else if (g_mode == Mode::Recording) {
        g_events.clear();
        backend::PumpEvents(backend::EventSink{CaptureKey, CaptureClose, ForwardActive});
        for (int key = 0; key < 256; ++key) {
            if (backend::KeyHeld(key) == g_held[static_cast<std::size_t>(key)]) continue;
            g_held.flip(static_cast<std::size_t>(key));
            Out().push_back(TAG_KEY);
            Out().push_back(static_cast<std::uint8_t>(key));
        }
        if (g_events.empty()) {
            Out().push_back(TAG_PUMP);
        } else {
            Out().push_back(TAG_EVENTS);
            PutVarint(Out(), g_events.size());
            Out().insert(Out().end(), g_events.begin(), g_events.end());
        }
        PassOn(g_events);
    } else {
        if (!g_outputsOff) backend::PumpEvents(backend::EventSink{WatcherKey, WatcherClose, ForwardActive});
        while (NextIs(TAG_KEY)) {
            g_held.flip(g_demo.stream[g_pos + 1]);
            g_pos += 2;
        }
        if (NextIs(TAG_PUMP)) {
            ++g_pos;
        } else if (Take(TAG_EVENTS, "took input")) {
            const std::size_t count = static_cast<std::size_t>(Varint());
            g_events.assign(g_demo.stream.begin() + static_cast<std::ptrdiff_t>(g_pos),
                            g_demo.stream.begin() + static_cast<std::ptrdiff_t>(g_pos + count));
            g_pos += count;
            PassOn(g_events);
        }
    }
}

std::vector<int> DemoFinishedDevices(std::vector<int> live) {
    if (g_mode == Mode::Recording && !live.empty()) {
        Out().push_back(TAG_FINISHED);
        PutVarint(Out(), live.size());
        for (int device : live) PutVarint(Out(), static_cast<std::uint64_t>(device));
    }
    if (g_mode != Mode::Replaying) return live;
    // Recorded right after the pump it came with, or not at all.
    std::vector<int> recorded;
    if (NextIs(TAG_FINISHED)) {
        ++g_pos;
        for (std::uint64_t count = Varint(); count > 0; --count) recorded.push_back(static_cast<int>(Varint()));
    }
    return recorded;
}

void DemoIdle(std::uint32_t milliseconds) {
    // A replay's time comes from the demo; pacing waits where the clock moves.
    if (g_mode != Mode::Replaying) backend::Idle(milliseconds);
}

bool DemoPresent(const std::uint8_t* pixels, const std::uint32_t* palette) {
    if (g_mode == Mode::Off) return true;
    const std::uint16_t check = FrameCheck(pixels, palette);
    g_soundHash = 0;
    if (g_mode == Mode::Recording) {
        Out().push_back(TAG_FRAME);
        Out().push_back(static_cast<std::uint8_t>(check));
        Out().push_back(static_cast<std::uint8_t>(check >> 8));
        return true;
    }
    if (Take(TAG_FRAME, "presented a frame")) {
        const std::uint16_t recorded = static_cast<std::uint16_t>(Byte() | (Byte() << 8));
        if (recorded != check) Differ("the picture or the sound differs");
    }
    if (g_difference < 0) ++g_frames;
    return !g_outputsOff && !DemoPassingOver();
}

void DemoSoundCommand(const char* command) {
    if (g_mode == Mode::Off) return;
    for (const char* c = command; *c != '\0'; ++c) {
        g_soundHash = (g_soundHash ^ static_cast<unsigned char>(*c)) * 0x100000001b3u;
    }
    g_soundHash = (g_soundHash ^ 0xFF) * 0x100000001b3u;
}

void DemoNoteStage() {
    if (g_mode == Mode::Recording) Out().push_back(TAG_STAGE);
    // Demos of the first format have no such marks.
    if (g_mode == Mode::Replaying && NextIs(TAG_STAGE)) ++g_pos;
}

void DemoNoteClear(std::uint32_t playTimeMs, std::uint32_t score) {
    if (g_mode == Mode::Recording) {
        Out().push_back(TAG_CLEAR);
        PutVarint(Out(), playTimeMs);
        PutVarint(Out(), score);
    }
    if (g_mode != Mode::Replaying) return;
    g_clears.push_back(DemoClear{playTimeMs, score});
    if (!Take(TAG_CLEAR, "cleared the stage")) return;
    const std::uint64_t recordedTime = Varint();
    const std::uint64_t recordedScore = Varint();
    if (recordedTime != playTimeMs || recordedScore != score) {
        Differ("clear " + std::to_string(g_clears.size()) + " was recorded in " + std::to_string(recordedTime) +
               " ms for " + std::to_string(recordedScore));
    }
}

void WatchDemo(const std::string& path) {
    if (g_mode == Mode::Replaying) return;
    Demo demo;
    std::string why;
    if (!ReadDemoFile(path, &demo, &why)) {
        std::fprintf(stderr, "lantern-blade: no run to watch: %s\n", why.c_str());
        return;
    }
    std::error_code error;
    SetSuspended(true, backend::NowMs());
    backend::ShowDemo(std::filesystem::absolute(path, error).string());
    SetSuspended(false, backend::NowMs());
}

void DemoKeepFilesUnder(const char* gameFolder) {
    g_playerFolder = gameFolder;
    FilterReads(FilterRead);
}
