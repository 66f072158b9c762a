// Demos recorded and played back at the seam under the stand-in: every clock reading,
// every key state and event, every finished piece and every player file the game reads,
// in the order it reads them. Played back, they give the same frames, sounds and score;
// a check of each presented frame shows where a replay went another way.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/seam/backend.h"
#include "platform/demo/demo_format.h"

struct DemoClear {
    std::uint32_t playTimeMs;
    std::uint32_t score;
};

// Records from now on; the recording is kept in memory (a few hundred bytes a second).
void StartDemoRecording(const std::string& version, std::uint64_t stageHash);
bool DemoRecording();
// The recording so far, as a demo file's bytes (empty when they cannot be packed).
std::string DemoRecordingBytes();

// Plays the demo back from now on. Paced: at the speed it was recorded, for someone to
// watch, from the start of the run that made its last clear; what came before in the
// session passes unpaced, unseen and unheard. Outputs off: no window, no picture, no
// sound reaches the backend.
void StartDemoReplay(const Demo& demo, bool paced, bool outputsOff);
bool DemoOutputsOff();
// A watched replay is passing over the earlier part of the session: no piece starts.
bool DemoPassingOver();
// Every record has been read back.
bool DemoReplayOver();
// The one watching pressed Escape or closed the window.
bool DemoStopped();
// The frame where the replay first differed from the recording (-1 while it matches),
// and why.
long DemoDifference(std::string* why = nullptr);
// Frames presented so far, and the clears the replay made.
std::uint64_t DemoFrames();
const std::vector<DemoClear>& DemoClears();

// Files read under this game folder belong to the player (the ranking): their contents
// go into the demo, and a replay reads them from there.
void DemoKeepFilesUnder(const char* gameFolder);

// The seam's inputs as the game sees them.
std::uint32_t DemoClock(std::uint32_t live);
bool DemoKeyHeld(int virtualKey);
void DemoPumpEvents(const backend::EventSink& sink);
std::vector<int> DemoFinishedDevices(std::vector<int> live);
void DemoIdle(std::uint32_t milliseconds);

// The seam's outputs: a presented frame (false: do not show it) and each sound command.
bool DemoPresent(const std::uint8_t* pixels, const std::uint32_t* palette);
void DemoSoundCommand(const char* command);

// Shows the demo file to the one playing, the game waiting meanwhile with its clock held
// as while suspended. A file that is no readable demo shows nothing (a line on stderr);
// a replay passes over it, so that it stays as recorded.
void WatchDemo(const std::string& path);

// A stage begins; a watched replay starts showing at the run of its last clear.
void DemoNoteStage();
// A stage cleared, with its play time and score.
void DemoNoteClear(std::uint32_t playTimeMs, std::uint32_t score);
