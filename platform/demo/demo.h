// Demos recorded and played back at the seam under the stand-in: every clock reading,
// every key state and event, every finished piece and every player file the game reads,
// in the order it reads them. Played back, they give the same run; a check of the game's
// state at each presented frame shows where a replay went another way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/demo/demo_format.h"
#include "platform/seam/backend.h"

// Records from now on under `header` (its start state is the recorder's). The recording
// is kept in memory: with `wholeSession` every run (within the bounds: past them, only
// the runs since the last stage start that fits), else only the current run.
void StartDemoRecording(const DemoHeader& header, bool wholeSession);
bool DemoRecording();
// The recording as a demo file's bytes: the current run from its stage's start with the
// state it started from (`runOnly`), or all that is kept, dated when the current run
// cleared (else now). Empty when nothing is recorded,
// the run went past the bounds, or the bytes cannot be packed.
std::string DemoRecordingBytes(bool runOnly);

// Plays the demo back from now on. Paced: at the speed it was recorded, for someone to
// watch, from the start of the run that made its last clear; what came before passes
// unpaced, unseen and unheard; past its records the game goes on at the real clock's
// pace with no key held (its results count up to the score). Outputs off: no window, no picture, no sound reaches the
// backend. False when the state the demo starts from is damaged.
bool StartDemoReplay(const Demo& demo, bool paced, bool outputsOff);
// What the game carries into the demo's run (empty: the demo starts at the game's start).
// Until DemoBeginRun, reads find nothing and take nothing from the demo, so the game can
// start up and be set to that state first.
std::vector<std::uint8_t> DemoGameStart();
void DemoBeginRun();
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
bool DemoPresent();
void DemoSoundCommand(const char* command);

// A kept run watched in the middle of the session: the recording is set aside as it
// stands and the demo, which must carry the state its run starts from, plays back paced,
// seen and heard, from its run's start (DemoGameStart, DemoBeginRun), until DemoEndWatch
// takes the recording up again where it stood. False (nothing changed) during a replay or
// another watch, or for a demo without that state or with that state damaged.
bool DemoBeginWatch(const Demo& demo);
void DemoEndWatch();
// A replay is paced: past its records it goes on at the real clock's pace.
bool DemoGoesOnPastRecords();

// Sends a demo file to the world ranking server if its last clear scored `score` (the
// backend says what comes of it); true when sent. A replay passes over it.
bool SendDemoToWorld(const std::string& path, std::uint32_t score);

// A stage begins, at the start of the loop turn that loads it; `gameState` is what the
// game carries into the run. A watched replay starts showing at the run of its last clear.
void DemoNoteStage(const std::vector<std::uint8_t>& gameState);
// A stage cleared, with its play time and score.
void DemoNoteClear(std::uint32_t playTimeMs, std::uint32_t score);
