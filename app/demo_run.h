// The game as the command line asks for it: played (always recorded, so a clear that
// enters the ranking keeps its demo) or a demo played back, checked or timed.
#pragma once

#include <string>

#include "platform/demo/demo_format.h"

enum class DemoTask { None, Record, Watch, Verify, Time, Export };

// Set by the command line; the path is the demo file's (made absolute there).
void AskForDemo(DemoTask task, const std::string& path);
// The run kept for a place (1-5) of the ranking goes to the file (made absolute), to be sent.
void AskForExport(int place, const std::string& path);

// A demo is played back (watched, checked or timed, or a kept run watched in the game's
// place) rather than the game played.
bool Replaying();

// Whether the demo was recorded on the stage files on disk.
bool OnThisStage(const Demo& demo);

// Records the run from now on, naming this version and the stage files on disk: the
// whole session (`wholeSession`, for --record) or the current run alone.
void StartRecording(bool wholeSession = false);
// Plays the demo back from now on (see StartDemoReplay); nothing the replay writes
// reaches the disk. False when the state its run starts from is damaged.
bool StartReplay(const Demo& demo, bool paced, bool outputsOff);

// The demo the entry at `place` (0 for first) of g_ranking keeps, if it is of the run
// that scored it.
bool ReadPlaceDemo(int place, Demo* demo);

// Connects the game's ranking to the recorder; the start-up calls it.
void KeepRuns();
// At the end of the start-up: sets the game to the state a replayed demo's run starts
// from, if it has one; false when that state is damaged.
bool BeginDemoRun();

// The demo asked for, played back from the game's start-up in turns (a host that runs the
// loop itself, the browser): -1 once it plays, else RunGame's exit code for a demo that
// cannot be played. Then each loop turn, true with RunGame's exit code once it is over.
int BeginReplay();
bool ReplayTurn(int* exitCode);

// Runs the game or the demo in the data folder; the process's exit code. A demo checked
// or timed exits 0 when it plays back as recorded, 1 when the replay differs and 2 when
// the file is not a demo this game can play (unreadable, damaged, past the bounds, of
// another rules version or another stage), with a line on stderr for 1 and 2. An export
// exits 0 once the run is written, 2 when the place keeps no run that scored it, 1 when
// the file could not be written.
int RunGame();
