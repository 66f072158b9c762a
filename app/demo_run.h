// The game as the command line asks for it: played (always recorded, so a clear that
// enters the ranking keeps its demo) or a demo played back, checked or timed.
#pragma once

#include <string>

#include "platform/demo/demo_format.h"

enum class DemoTask { None, Record, Watch, Verify, Time };

// Set by the command line; the path is the demo file's (made absolute there).
void AskForDemo(DemoTask task, const std::string& path);

// Records the run from now on, naming this version and the stage files on disk.
void StartRecording();
// Plays the demo back from now on (see StartDemoReplay); nothing the replay writes
// reaches the disk.
void StartReplay(const Demo& demo, bool paced, bool outputsOff);

// Runs the game or the demo in the data folder; the process's exit code. A demo checked
// or timed exits 0 when it plays back as recorded, 1 at the first frame that differs and
// 2 when the file is not a readable demo.
int RunGame();
