// The whole game driven headless turn by turn with held keys on the virtual clock, in a
// scratch folder holding a copy of the shipped data, the scenes it passes recorded.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/demo/demo_reader.h"
#include "platform/headless/headless.h"
#include "tests/support/harness.h"

namespace whole {

// The demo of the golden run, kept beside its record, and its clear.
inline const char* const KEPT_DEMO = LB_SOURCE_DIR "/tests/whole_game/golden/ring.lbdemo";
inline const char* const RING_CLEAR = "clear 1: play time 2561 ms, score 3439\n";
// The route scores as the shipped first place does: its demo is the second of that score.
inline const char* const KEPT_ROUTE = "txt/Ranking/demos/3439-1.lbdemo";

// The game binary run in the working folder (killed after two minutes): its exit code,
// what it wrote to stdout and stderr, and its peak resident memory.
struct BinaryRun {
    int code = -1;
    std::string out;
    long peakKb = 0;
};
BinaryRun RunBinary(const std::vector<std::string>& options);
inline BinaryRun Verify(const std::string& demoPath) { return RunBinary({"--verify", demoPath}); }
// --verify's exit code for the demo is `code` and what it says holds `says`.
void ExpectVerify(const std::string& demoPath, int code, const std::string& says);
Demo ReadDemo(const std::string& path);
// Plays the demo StartReplay was given to its end, calling `afterTurn` after each turn,
// and expects it to have matched throughout.
void ReplayToEnd(const std::function<void()>& afterTurn = [] {});
// Runs `body` in a child process (a game of its own); whether it passed.
bool Apart(const std::function<void()>& body);

// The golden record's check of a frame: FNV-1a over 64-bit words, pixels then palette.
std::uint64_t FrameChecksum(const headless::Frame& frame);

class GameRun {
public:
    // Copies the data, lets `prepare` change it, and starts the game.
    explicit GameRun(const std::function<void()>& prepare = nullptr);

    // One loop turn, then the watcher; false once the game has ended.
    bool Turn();
    // Turns until `done` holds; false if the game ends or too many turns pass first.
    bool Until(const std::function<bool()>& done);
    bool UntilScene(int scene);
    bool Frames(int n);
    // Holds the key until `done` holds, or for n frames.
    bool PressUntil(int key, const std::function<bool()>& done);
    bool Hold(int key, int frames);
    void Watch(const std::function<void()>& afterTurn) { afterTurn_ = afterTurn; }

    int ExitCode() const { return exitCode_; }  // -1 while the game runs
    // Every scene the game was in, in order, repeats left out.
    const std::vector<int>& Scenes() const { return scenes_; }

private:
    test::ScratchDir dir_;
    bool ended_ = false;
    int exitCode_ = -1;
    std::vector<int> scenes_;
    std::function<void()> afterTurn_;
};

// Lets a menu's keys settle, moves its cursor `moves` times with `key`, and holds Z until
// the game is in `scene`.
bool Choose(GameRun& run, int key, int moves, int scene);

// Records a whole session in a process of its own, so that a replay then starts a fresh
// game: `play` drives a game recording from its start. The demo it made.
Demo RecordedApart(const std::function<void(GameRun&)>& play);

// Plays the fixed route through the shipped stage, five kills; `afterFirstGroup`, if given,
// runs once the first two are down, and the route goes on if it returns true. `lateMs`
// starts the route that much later.
bool PlayRoute(GameRun& run, const std::function<bool()>& afterFirstGroup = nullptr, std::uint32_t lateMs = 0);

// The route (A for the results if the stage did not clear); clear, results and ending to
// the title; the ranking and back; start, pause, retry, pause, title, quit. False as soon
// as a step does not come about, which *failedStep then names with the scene it stuck in.
bool PlayWholeRing(GameRun& run, std::string* failedStep);

// The demo with the first record `pick` chooses replaced by `bytes`, packed again.
Demo Edited(const Demo& demo, const std::function<bool(const DemoRecord&)>& pick, const std::vector<std::uint8_t>& bytes);
// The first flip of the key `from` made a flip of `to`.
Demo EditedKey(const Demo& demo, int from, int to);
// A clear record's bytes.
std::vector<std::uint8_t> ClearRecord(std::uint32_t playTimeMs, std::uint32_t score);

}  // namespace whole
