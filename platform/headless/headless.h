// Control of the headless backend for tests: a virtual clock, scripted keys, the frames
// presented, the log of MCI command strings, and the end of a playing piece.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/seam/backend.h"

namespace headless {

// The headless backend's table, for a test's or a tool's entry point to install.
const backend::Backend& Backend();

struct Frame {
    std::vector<std::uint8_t> pixels;  // 640x480 palette indices
    std::uint32_t palette[256];        // 0x00RRGGBB
    std::uint32_t atMs;                // virtual time of the present
};

// Back to the state at process start (clock at 1 000 000 ms, no keys, no frames, no log).
void Reset();

std::uint64_t Now();
void SetTime(std::uint64_t ms);
void Advance(std::uint64_t ms);

// Press posts a key-down event (as a held key would) and holds the key until release.
void PressKey(int virtualKey);
void ReleaseKey(int virtualKey);
void RequestClose();
// From now on every press and release is kept, one a line: "<event pumps before it>
// <key> <1|0>", the script the browser backend's test clock replays on the very same
// loop turns.
void RecordKeyScript();
const std::string& KeyScript();
// The window losing (false) or regaining (true) the focus, as the next events.
void SetFocus(bool focused);
// Makes OpenWindow fail, as on a machine without a display.
void SetDisplayAvailable(bool available);

// Frames presented so far (only the last `keep` are stored, 4 by default), and the count.
void KeepFrames(std::size_t keep);
const std::vector<Frame>& Frames();
std::uint64_t FrameCount();
const Frame& LastFrame();

// The demos the game asked to send to a world ranking server, in order.
const std::vector<std::string>& DemosSent();

// Every MCI command string sent, in order, as the stand-in tells LogMciCommand (a test's
// entry point has it watch the commands).
void LogMciCommand(const char* command);
const std::vector<std::string>& MciLog();
void ClearMciLog();
// Files opened as sounds, and which are playing; a music piece the engine's scanner
// refuses never plays.
bool IsPlaying(const std::string& fileName);
// Sounds open now, and the closes asked of the backend (one too many: a sound closed twice).
std::size_t OpenSounds();
std::size_t SoundCloses();
// Ends the playing piece of that file as if it had played to its end.
void FinishPiece(const std::string& fileName);
// Reports the sound id as played to its end, whatever it is: a report may arrive for a
// piece stopped or closed meanwhile.
void ReportFinished(int soundId);

// Writes a frame as PNG (8-bit palettized) for looking at it.
bool WritePng(const Frame& frame, const std::string& path);

}  // namespace headless
