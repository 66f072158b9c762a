// A kept run watched in the game's own window and process: the game as it stands is put
// aside between two loop turns, the run plays in its place from its stage's start (paced,
// seen and heard, captioned REPLAY on the overlay) through its clear to the end of its
// results, and the game comes back as it stood, its screen built again. Nothing of the
// run reaches the player's files, records or settings, nor the recording of the session.
#pragma once

#include <cstdint>
#include <string>

#include "platform/demo/demo_format.h"

// Asks to watch the demo file if its last clear scored `score` (the ranking's keys); the
// watch begins at the next loop turn. False, with a note on the overlay, when there is no
// such run to watch; a replay passes over it, so that it stays as recorded.
bool WatchRun(const std::string& path, std::uint32_t score);
// A kept run is being watched in the game's place.
bool WatchingRun();
// At the start of each loop turn: begins a watch asked for, ends one that is over.
void StepWatch();

// The header of the run being watched, in the game or by --playdemo; null when none.
const DemoHeader* WatchedRun();
void NoteWatchedRun(const DemoHeader& header);
// A replay has more to show or check: its records, or, watched, its results after them
// (a few seconds at most); false once it differed or the one watching stopped it.
bool ReplayGoesOn();
