// The recorder and the player behind each seam input: recording appends a record for
// every read; playing back answers each read from the next record, which must be of that
// read's kind: a record of another kind means the run has gone another way.
#include "platform/demo/demo.h"

#include <strings.h>

#include <algorithm>
#include <bitset>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "platform/demo/demo_reader.h"
#include "platform/host/files.h"
#include "platform/seam/game_view.h"
#include "platform/seam/keys.h"

namespace {

enum class Mode { Off, Recording, Replaying };

// The state check goes into the demo every this many frames of a run, and where a kept
// run ends.
constexpr std::uint64_t CHECK_EVERY = 32;
// However long the recording stood still at a clock read, a watcher waits this long.
constexpr std::int64_t MOST_PACED_WAIT_MS = 1000;
constexpr std::uint32_t WATCH_POLL_MS = 10;
constexpr std::size_t HELD_BYTES = 32;

Mode g_mode = Mode::Off;
std::uint32_t g_clock = 0;
std::bitset<256> g_held;
std::uint64_t g_soundHash = 0;
// The state check of the run so far, and the frames in it.
std::uint64_t g_digest = FNV_OFFSET;
std::uint64_t g_runFrames = 0;
std::string g_playerFolder;
std::thread::id g_owner;

// Recording.
DemoHeader g_header;
std::vector<std::uint8_t> g_stream;
bool g_whole = false;
bool g_haveRun = false;
std::size_t g_runAt = 0;             // the current run's stage record in g_stream
std::vector<std::uint8_t> g_runStart;  // and the state it started from
std::uint64_t g_frames = 0;           // in g_stream (played back: presented so far)
std::uint64_t g_clockMs = 0;
std::uint64_t g_runClockMs = 0;
// The first reading of a session is where the clock stood (time since boot), not time played.
bool g_clockRead = false;
bool g_overflow = false;
DemoFramePoint g_lastPoint;
// When the current run cleared (UTC seconds, 0 before it has): the date its demo
// carries, so that the same run packed twice (kept in the ranking and as the best, which
// the browser's waits may put seconds apart) gives the same bytes.
std::uint64_t g_clearDate = 0;

// Playing back.
const Demo* g_demo = nullptr;
std::unique_ptr<Demo> g_demoCopy;
std::unique_ptr<DemoReader> g_reader;
DemoRecord g_next;
bool g_haveNext = false;
bool g_exhausted = false;
std::uint64_t g_nextAt = 0;
bool g_legacy = false;
bool g_prelude = false;
std::vector<std::uint8_t> g_gameStart;
DemoHeader g_replayStart;
long g_difference = -1;
std::string g_differenceWhy;
bool g_paced = false;
std::uint64_t g_showFrom = 0;
bool g_stopped = false;
bool g_outputsOff = false;
bool g_paceStarted = false;
std::uint64_t g_paceRealStart = 0;
std::uint32_t g_paceClockStart = 0;
std::int64_t g_paceSkipped = 0;
std::vector<DemoClear> g_clears;
// Past its records a watched run goes on at the real clock's pace, no key held, so that
// its results count up to the score; the clock then reads from here.
bool g_coast = false;
bool g_coasting = false;
std::uint64_t g_coastRealStart = 0;
std::uint32_t g_coastClockStart = 0;

// A recording set aside while a kept run is watched in the middle of the session: what a
// replay changes of it.
struct Aside {
    Mode mode;
    std::uint32_t clock;
    std::bitset<256> held;
    std::uint64_t soundHash;
    std::uint64_t digest;
    std::uint64_t runFrames;
    std::uint64_t frames;
    std::uint64_t clockMs;
    std::uint64_t runClockMs;
    bool clockRead;
    bool overflow;
    DemoFramePoint lastPoint;
};
std::optional<Aside> g_aside;

// The event sink of the pump being recorded or replayed.
backend::EventSink g_sink{};
std::vector<std::uint8_t> g_events;

bool Writing() { return g_mode == Mode::Recording && !g_overflow; }

void Out(std::uint8_t byte) { g_stream.push_back(byte); }

void OutVarint(std::uint64_t value) { PutVarint(g_stream, value); }

void OutSigned(std::int64_t value) {
    OutVarint((static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63));
}

void Mix(std::uint64_t& hash, std::uint64_t value) { hash = (hash ^ value) * FNV_PRIME; }

std::uint32_t Folded(std::uint64_t hash) { return static_cast<std::uint32_t>(hash ^ (hash >> 32)); }

void Differ(const std::string& why) {
    if (g_difference >= 0) return;
    g_difference = static_cast<long>(g_frames);
    g_differenceWhy = why;
}

// The next record of the replay, read ahead; checks of the state are compared as they
// are met, and the frames of formats 1 and 2 (checks of pixels) passed over. Null past
// the end, after a difference, and before the demo's run begins.
const DemoRecord* Peek() {
    if (g_mode != Mode::Replaying || g_prelude || g_difference >= 0) return nullptr;
    while (!g_haveNext && !g_exhausted) {
        g_nextAt = g_reader->Offset();
        if (!g_reader->Next(&g_next)) {
            g_exhausted = true;
        } else if (g_next.tag == TAG_CHECK) {
            if (g_next.a != Folded(g_digest)) Differ("the game's state differs");
            if (g_difference >= 0) return nullptr;
        } else if (!(g_legacy && g_next.tag == TAG_FRAME)) {
            g_haveNext = true;
        }
    }
    return g_haveNext ? &g_next : nullptr;
}

bool NextIs(std::uint8_t tag) {
    const DemoRecord* next = Peek();
    return next != nullptr && next->tag == tag;
}

// The next record when it has this tag, taken. Past the end every read finds nothing
// (the replay stops there); a record of another kind is a difference.
const DemoRecord* Take(std::uint8_t tag, const char* read) {
    const DemoRecord* next = Peek();
    if (next == nullptr) return nullptr;
    if (next->tag != tag) {
        Differ(std::string("the run ") + read + " where the recording did not");
        return nullptr;
    }
    g_haveNext = false;
    return next;
}

void IgnoreActive(bool) {}

// While a demo plays, the keys of the one watching do nothing but Escape, which stops it.
void WatcherKey(int virtualKey) {
    if (virtualKey == VK_ESCAPE) g_stopped = true;
}

void WatcherClose() { g_stopped = true; }

// What the one watching pressed or closed, heard unless the replay is unseen.
void PumpWatcher() {
    if (!g_outputsOff) backend::PumpEvents(backend::EventSink{WatcherKey, WatcherClose, IgnoreActive});
}

// Waits until the replay's clock is due on the real one (or, where the host pauses only
// between turns, asks for that pause), listening to the one watching.
void Pace() {
    if (!g_paceStarted) {
        g_paceStarted = true;
        g_paceRealStart = backend::NowMs();
        g_paceClockStart = g_clock;
        g_paceSkipped = 0;
    }
    const std::int64_t now = static_cast<std::int64_t>(backend::NowMs());
    std::int64_t due = static_cast<std::int64_t>(g_paceRealStart) +
                       static_cast<std::int64_t>(static_cast<std::uint32_t>(g_clock - g_paceClockStart)) - g_paceSkipped;
    if (due - now > MOST_PACED_WAIT_MS) {
        g_paceSkipped += due - now - MOST_PACED_WAIT_MS;
        due = now + MOST_PACED_WAIT_MS;
    }
    // A host that pauses only between turns (the browser) is asked for the pause, and the
    // turn goes on: what it draws is shown once the pause is over.
    if (backend::Device().clock.pausesBetweenTurns) {
        if (due > now) backend::Idle(static_cast<std::uint32_t>(due - now));
        PumpWatcher();
        return;
    }
    for (std::int64_t at = now; at < due && !g_stopped; at = static_cast<std::int64_t>(backend::NowMs())) {
        backend::Idle(static_cast<std::uint32_t>(std::min<std::int64_t>(due - at, WATCH_POLL_MS)));
        PumpWatcher();
    }
}

void CaptureKey(int virtualKey) {
    if (g_events.size() < DEMO_MAX_EVENTS) g_events.push_back(static_cast<std::uint8_t>(virtualKey));
}

void CaptureClose() {
    if (g_events.size() < DEMO_MAX_EVENTS) g_events.push_back(EVENT_CLOSE);
}

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

// The run can no longer be kept whole: nothing more is written until the next stage
// starts a run afresh.
void Overflow() {
    if (!g_overflow) std::fprintf(stderr, "lantern-blade: this run is past what a demo may hold; it is not kept\n");
    g_overflow = true;
}

// The player's files are kept in a demo as the game reads them; a replay reads them from
// the demo, never from the disk.
std::FILE* FilterRead(const char* gamePath, std::FILE* (*openLive)(const char*)) {
    // A save that waits for another game's lock reads on a thread of its own, at a time
    // no replay could meet again: that read is not part of the run.
    const bool players = g_mode != Mode::Off && !g_playerFolder.empty() && std::this_thread::get_id() == g_owner &&
                         strncasecmp(gamePath, g_playerFolder.c_str(), g_playerFolder.size()) == 0;
    if (!players) return openLive(gamePath);
    if (g_mode == Mode::Recording) {
        std::FILE* live = openLive(gamePath);
        if (!Writing()) return live;
        std::vector<std::uint8_t> contents(DEMO_MAX_KEPT_FILE + 1);
        if (live != nullptr) contents.resize(std::fread(contents.data(), 1, contents.size(), live));
        if (live != nullptr) std::rewind(live);
        if (contents.size() > DEMO_MAX_KEPT_FILE) {
            Overflow();
            return live;
        }
        Out(TAG_FILE);
        Out(live != nullptr ? 1 : 0);
        if (live == nullptr) return nullptr;
        OutVarint(contents.size());
        g_stream.insert(g_stream.end(), contents.begin(), contents.end());
        return live;
    }
    const DemoRecord* file = Take(TAG_FILE, "read the ranking");
    if (file == nullptr || file->a == 0) return nullptr;
    std::FILE* copy = std::tmpfile();
    if (copy != nullptr) {
        std::fwrite(file->bytes, 1, file->length, copy);
        std::rewind(copy);
    }
    return copy;
}

void Reset(Mode mode) {
    g_mode = mode;
    g_owner = std::this_thread::get_id();
    g_clock = 0;
    g_held.reset();
    g_soundHash = 0;
    g_digest = FNV_OFFSET;
    g_runFrames = 0;
    g_frames = 0;
    g_clockMs = 0;
    g_runClockMs = 0;
    g_overflow = false;
    g_clockRead = false;
    g_lastPoint = DemoFramePoint{};
    g_clearDate = 0;
    g_difference = -1;
    g_differenceWhy.clear();
    g_paceStarted = false;
    g_stopped = false;
    g_clears.clear();
    g_haveNext = false;
    g_exhausted = false;
    g_prelude = false;
    g_coasting = false;
}

// The recorder's own part of a run's start: its clock, the keys held and the sounds sent
// since the last frame; then what the game carries over.
std::vector<std::uint8_t> RecorderStart(const std::vector<std::uint8_t>& gameState) {
    std::vector<std::uint8_t> start;
    PutVarint(start, g_clock);
    for (std::size_t i = 0; i < HELD_BYTES; ++i) {
        std::uint8_t bits = 0;
        for (std::size_t bit = 0; bit < 8; ++bit) bits |= static_cast<std::uint8_t>(g_held[i * 8 + bit] << bit);
        start.push_back(bits);
    }
    PutVarint(start, g_soundHash);
    start.insert(start.end(), gameState.begin(), gameState.end());
    return start;
}

bool ApplyRecorderStart(const std::vector<std::uint8_t>& start, std::vector<std::uint8_t>* gameState) {
    std::size_t pos = 0;
    std::uint64_t clock = 0;
    std::uint64_t sounds = 0;
    if (!GetVarint(start, &pos, &clock) || clock > 0xFFFFFFFFu || start.size() - pos < HELD_BYTES) return false;
    std::bitset<256> held;
    for (std::size_t i = 0; i < HELD_BYTES * 8; ++i) held[i] = (start[pos + i / 8] >> (i % 8)) & 1;
    pos += HELD_BYTES;
    if (!GetVarint(start, &pos, &sounds)) return false;
    g_clock = static_cast<std::uint32_t>(clock);
    g_held = held;
    g_soundHash = sounds;
    gameState->assign(start.begin() + static_cast<std::ptrdiff_t>(pos), start.end());
    return true;
}

// Drops what came before the current run: it then starts the recording.
void KeepOnlyTheRun() {
    g_stream.erase(g_stream.begin(), g_stream.begin() + static_cast<std::ptrdiff_t>(g_runAt));
    g_runAt = 0;
    g_header.start = g_runStart;
    g_frames = g_runFrames;
    g_clockMs = g_runClockMs;
}

// A run or a session past the bounds: a whole session drops its earlier runs; a run
// alone too long is not kept.
void Bound() {
    const bool sessionFits = g_frames <= DEMO_MAX_FRAMES && g_clockMs <= DEMO_MAX_CLOCK_MS &&
                             g_stream.size() + DEMO_MAX_KEPT_FILE + 64 <= DEMO_MAX_STREAM_BYTES;
    if (sessionFits) return;
    if (g_haveRun && g_runAt > 0) KeepOnlyTheRun();
    if (g_frames > DEMO_MAX_FRAMES || g_clockMs > DEMO_MAX_CLOCK_MS ||
        g_stream.size() + DEMO_MAX_KEPT_FILE + 64 > DEMO_MAX_STREAM_BYTES) {
        Overflow();
    }
}

void OutCheck() {
    Out(TAG_CHECK);
    const std::uint32_t check = Folded(g_digest);
    for (int i = 0; i < 4; ++i) Out(static_cast<std::uint8_t>(check >> (8 * i)));
}

DemoFramePoint PointOf(const GameView& view) {
    return DemoFramePoint{view.scene, view.playTimeMs, view.hero.x, view.hero.y, view.hero.dir, view.hero.anim,
                          view.hero.attack};
}

// Folds the game's state at a frame, and the sounds sent since the last, into the run's check.
void MixView(const GameView& view) {
    Mix(g_digest, g_soundHash);
    Mix(g_digest, static_cast<std::uint64_t>(view.scene));
    Mix(g_digest, view.playTimeMs);
    Mix(g_digest, static_cast<std::uint64_t>(view.kills));
    for (int i = -1; i < GAME_VIEW_ENEMIES; ++i) {
        const ActorView& actor = i < 0 ? view.hero : view.enemies[i];
        Mix(g_digest, static_cast<std::uint32_t>(actor.x));
        Mix(g_digest, static_cast<std::uint32_t>(actor.y));
        Mix(g_digest, actor.dir | (actor.anim << 8) | (actor.attack << 16) | (actor.state << 24));
        Mix(g_digest, static_cast<std::uint32_t>(actor.hp));
    }
    for (std::int32_t entry : view.ranking) Mix(g_digest, static_cast<std::uint32_t>(entry));
    for (std::int64_t counter : view.counters) Mix(g_digest, static_cast<std::uint64_t>(counter));
    g_soundHash = 0;
    ++g_runFrames;
}

std::string Where(const DemoFramePoint& point) {
    return "scene " + std::to_string(point.scene) + ", play time " + std::to_string(point.playTimeMs) +
           " ms, hero at " + std::to_string(point.x) + "," + std::to_string(point.y);
}

bool SamePoint(const DemoFramePoint& a, const DemoFramePoint& b) {
    return a.scene == b.scene && a.playTimeMs == b.playTimeMs && a.x == b.x && a.y == b.y && a.dir == b.dir &&
           a.anim == b.anim && a.attack == b.attack;
}

}  // namespace

void StartDemoRecording(const DemoHeader& header, bool wholeSession) {
    Reset(Mode::Recording);
    g_header = header;
    g_header.start.clear();
    g_stream.clear();
    g_whole = wholeSession;
    g_haveRun = false;
    g_runAt = 0;
    g_outputsOff = false;
    g_paced = false;
    g_demo = nullptr;
    g_reader.reset();
}

bool DemoRecording() { return g_mode == Mode::Recording; }

std::string DemoRecordingBytes(bool runOnly) {
    if (g_mode != Mode::Recording || g_overflow) return std::string();
    DemoHeader header = g_header;
    header.date = g_clearDate != 0 ? g_clearDate : static_cast<std::uint64_t>(std::time(nullptr));
    std::vector<std::uint8_t> stream;
    if (runOnly && g_haveRun) {
        header.start = g_runStart;
        stream.assign(g_stream.begin() + static_cast<std::ptrdiff_t>(g_runAt), g_stream.end());
    } else {
        stream = g_stream;
    }
    // The frames since the last check are checked where the kept run ends.
    const std::size_t end = g_stream.size();
    OutCheck();
    stream.insert(stream.end(), g_stream.begin() + static_cast<std::ptrdiff_t>(end), g_stream.end());
    g_stream.resize(end);
    Demo demo;
    return PackDemo(header, stream, &demo) ? EncodeDemo(demo) : std::string();
}

bool StartDemoReplay(const Demo& demo, bool paced, bool outputsOff) {
    Reset(Mode::Replaying);
    g_coast = paced;
    g_demoCopy = std::make_unique<Demo>(demo);
    g_demo = g_demoCopy.get();
    g_reader = std::make_unique<DemoReader>(*g_demo);
    g_legacy = demo.header.format < 3;
    g_paced = paced;
    g_outputsOff = outputsOff;
    g_showFrom = paced ? demo.scan.lastRunStart : 0;
    g_gameStart.clear();
    g_prelude = !demo.header.start.empty();
    return !g_prelude || ApplyRecorderStart(demo.header.start, &g_gameStart);
}

std::vector<std::uint8_t> DemoGameStart() { return g_mode == Mode::Replaying ? g_gameStart : std::vector<std::uint8_t>(); }

void DemoBeginRun() {
    if (g_mode != Mode::Replaying || !g_prelude) return;
    // Starting up sent sounds of its own; the run's start state says which were pending.
    std::vector<std::uint8_t> game;
    ApplyRecorderStart(g_demo->header.start, &game);
    g_prelude = false;
}

bool DemoPassingOver() {
    if (g_mode != Mode::Replaying || g_difference >= 0) return false;
    Peek();
    return (g_haveNext ? g_nextAt : g_reader->Offset()) < g_showFrom;
}

bool DemoReplayOver() {
    if (g_mode != Mode::Replaying || g_prelude) return false;
    Peek();
    return g_exhausted && !g_haveNext;
}

bool DemoStopped() { return g_stopped; }

long DemoDifference(std::string* why) {
    if (why != nullptr) *why = g_differenceWhy;
    return g_difference;
}

std::uint64_t DemoFrames() { return g_frames; }

const std::vector<DemoClear>& DemoClears() { return g_clears; }

std::uint32_t DemoClock(std::uint32_t live) {
    if (Writing()) {
        const std::uint32_t step = live - g_clock;
        if (step < TAG_TICK) {
            Out(static_cast<std::uint8_t>(step));
        } else {
            Out(TAG_TICK);
            OutVarint(step);
        }
        const std::uint32_t played = g_clockRead ? step : 0;
        g_clockRead = true;
        g_clockMs += played;
        g_runClockMs += played;
    }
    if (g_mode == Mode::Recording) g_clock = live;
    if (g_mode != Mode::Replaying) return live;
    if (g_coast && g_difference < 0 && DemoReplayOver()) {
        if (!g_coasting) {
            g_coasting = true;
            g_coastRealStart = backend::NowMs();
            g_coastClockStart = g_clock;
            g_held.reset();
        }
        g_clock = g_coastClockStart + static_cast<std::uint32_t>(backend::NowMs() - g_coastRealStart);
        return g_clock;
    }
    const DemoRecord* tick = Take(TAG_TICK, "read the clock");
    if (tick == nullptr) return g_clock;
    g_clock += static_cast<std::uint32_t>(tick->a);
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
            if (!Writing()) continue;
            Out(TAG_KEY);
            Out(static_cast<std::uint8_t>(key));
        }
        if (Writing() && g_events.empty()) {
            Out(TAG_PUMP);
        } else if (Writing()) {
            Out(TAG_EVENTS);
            OutVarint(g_events.size());
            g_stream.insert(g_stream.end(), g_events.begin(), g_events.end());
        }
        PassOn(g_events);
    } else {
        if (!g_outputsOff) backend::PumpEvents(backend::EventSink{WatcherKey, WatcherClose, ForwardActive});
        while (NextIs(TAG_KEY)) g_held.flip(static_cast<std::size_t>(Take(TAG_KEY, "")->a));
        if (NextIs(TAG_PUMP)) {
            Take(TAG_PUMP, "");
        } else if (const DemoRecord* events = Take(TAG_EVENTS, "took input")) {
            g_events.assign(events->bytes, events->bytes + events->length);
            PassOn(g_events);
        }
    }
}

std::vector<int> DemoFinishedDevices(std::vector<int> live) {
    if (Writing() && !live.empty()) {
        live.resize(std::min(live.size(), DEMO_MAX_FINISHED));
        Out(TAG_FINISHED);
        OutVarint(live.size());
        for (int device : live) OutVarint(static_cast<std::uint64_t>(device));
    }
    if (g_mode != Mode::Replaying) return live;
    // Recorded right after the pump it came with, or not at all.
    if (!NextIs(TAG_FINISHED)) return {};
    return Take(TAG_FINISHED, "")->devices;
}

void DemoIdle(std::uint32_t milliseconds) {
    // A replay's time comes from the demo; pacing waits where the clock moves.
    if (g_mode != Mode::Replaying || g_coasting) backend::Idle(milliseconds);
}

bool DemoPresent() {
    if (g_mode == Mode::Off) return true;
    if (g_mode == Mode::Replaying && g_prelude) return false;
    GameView view;
    ReadGameView(&view);
    const DemoFramePoint point = PointOf(view);
    if (g_mode == Mode::Recording) {
        MixView(view);
        if (!Writing()) return true;
        ++g_frames;
        Out(TAG_FRAME);
        OutSigned(point.scene);
        OutSigned(static_cast<std::int64_t>(point.playTimeMs) - g_lastPoint.playTimeMs);
        OutSigned(static_cast<std::int64_t>(point.x) - g_lastPoint.x);
        OutSigned(static_cast<std::int64_t>(point.y) - g_lastPoint.y);
        Out(point.dir);
        Out(point.anim);
        Out(point.attack);
        g_lastPoint = point;
        if (g_runFrames % CHECK_EVERY == 0) OutCheck();
        Bound();
        return true;
    }
    if (!g_legacy) {
        if (const DemoRecord* frame = Take(TAG_FRAME, "presented a frame")) {
            if (!SamePoint(frame->frame, point)) {
                Differ(Where(point) + "; recorded: " + Where(frame->frame));
            }
        }
        MixView(view);
    }
    if (g_difference < 0) ++g_frames;
    // Read ahead, so that a check after this frame is compared now.
    Peek();
    return !g_outputsOff && !DemoPassingOver();
}

void DemoSoundCommand(const char* command) {
    if (g_mode == Mode::Off || g_prelude) return;
    for (const char* c = command; *c != '\0'; ++c) Mix(g_soundHash, static_cast<unsigned char>(*c));
    Mix(g_soundHash, 0xFF);
}

void DemoNoteStage(const std::vector<std::uint8_t>& gameState) {
    if (g_mode == Mode::Recording) {
        // A fresh run: from here it is kept alone when it enters the ranking.
        g_runStart = RecorderStart(gameState);
        if (g_runStart.size() > DEMO_MAX_START) g_runStart.clear();
        if (g_overflow) g_stream.clear();
        g_overflow = g_runStart.empty();
        g_haveRun = !g_overflow;
        g_runAt = g_stream.size();
        g_runClockMs = 0;
        g_clearDate = 0;
        if (!g_whole || g_runAt == 0) KeepOnlyTheRun();
        g_runFrames = 0;
        if (Writing()) Out(TAG_STAGE);
    }
    if (g_mode == Mode::Replaying && NextIs(TAG_STAGE)) Take(TAG_STAGE, "");
    // Every run's check starts afresh, so a run cut out of a session checks alone.
    g_digest = FNV_OFFSET;
    g_runFrames = 0;
    g_lastPoint = DemoFramePoint{};
}

void DemoNoteClear(std::uint32_t playTimeMs, std::uint32_t score) {
    if (Writing()) {
        Out(TAG_CLEAR);
        OutVarint(playTimeMs);
        OutVarint(score);
        g_clearDate = static_cast<std::uint64_t>(std::time(nullptr));
    }
    if (g_mode != Mode::Replaying) return;
    g_clears.push_back(DemoClear{playTimeMs, score});
    const DemoRecord* clear = Take(TAG_CLEAR, "cleared the stage");
    if (clear != nullptr && (clear->a != playTimeMs || clear->b != score)) {
        Differ("clear " + std::to_string(g_clears.size()) + " was recorded in " + std::to_string(clear->a) +
               " ms for " + std::to_string(clear->b));
    }
}

namespace {

// Whether the demo file holds the run that scored `score`; a line on stderr if not.
bool HoldsTheRun(const std::string& path, std::uint32_t score, const char* purpose) {
    Demo demo;
    std::string why;
    if (!ReadDemoFile(path, &demo, &why)) {
        std::fprintf(stderr, "lantern-blade: no run to %s: %s\n", purpose, why.c_str());
        return false;
    }
    if (demo.scan.clears.empty() || demo.scan.clears.back().score != score) {
        std::fprintf(stderr, "lantern-blade: no run to %s: %s is not the run that scored %u\n", purpose, path.c_str(),
                     score);
        return false;
    }
    return true;
}

}  // namespace

bool SendDemoToWorld(const std::string& path, std::uint32_t score) {
    if (g_mode == Mode::Replaying || !HoldsTheRun(path, score, "send")) return false;
    std::error_code error;
    backend::SendDemo(std::filesystem::absolute(path, error).string());
    return true;
}

bool DemoBeginWatch(const Demo& demo) {
    if (g_mode == Mode::Replaying || g_aside.has_value() || demo.header.start.empty()) return false;
    g_aside = Aside{g_mode,       g_clock,      g_held,        g_soundHash, g_digest,   g_runFrames,
                    g_frames,     g_clockMs,    g_runClockMs,  g_clockRead, g_overflow, g_lastPoint};
    if (StartDemoReplay(demo, true, false)) return true;
    DemoEndWatch();
    return false;
}

void DemoEndWatch() {
    if (!g_aside.has_value()) return;
    const Aside& aside = *g_aside;
    Reset(aside.mode);
    g_clock = aside.clock;
    g_held = aside.held;
    g_soundHash = aside.soundHash;
    g_digest = aside.digest;
    g_runFrames = aside.runFrames;
    g_frames = aside.frames;
    g_clockMs = aside.clockMs;
    g_runClockMs = aside.runClockMs;
    g_clockRead = aside.clockRead;
    g_overflow = aside.overflow;
    g_lastPoint = aside.lastPoint;
    g_paced = false;
    g_outputsOff = false;
    g_aside.reset();
}

bool DemoGoesOnPastRecords() { return g_mode == Mode::Replaying && g_coast; }

void DemoKeepFilesUnder(const char* gameFolder) {
    g_playerFolder = gameFolder;
    FilterReads(FilterRead);
}
