// Saving a new score into the ranking file, so that neither another game saving at the
// same moment nor a file the game cannot read loses any score, and the game never stands
// still waiting for the file.
#pragma once

#include <cstdint>

// What the ranking screen tells the player about the last save: why it failed, that it
// waits for another game, or where an unreadable ranking file was kept; empty otherwise.
extern char g_saveFailure[128];

// Enters the score into the ranking as the file holds it now, not as it was read at
// start: under the file's lock the file is read again, the score entered and the table
// sorted and written back whole. g_ranking then holds what was saved. A file from which
// five numbers do not read is kept aside and a fresh one started. A save that fails
// leaves the file and g_ranking as they were and says why on stderr and in
// g_saveFailure. When another process holds the lock, the save waits for it on a thread
// of its own and this returns at once; CollectWaitingSave takes its outcome.
void SaveScore(std::uint32_t score, const char* path);

// Once a save that waited has ended, g_ranking and g_saveFailure take its outcome;
// nothing while it still waits or when none does.
void CollectWaitingSave();
// Waits for a save that waits (a few seconds at most), then collects it; the game's exit
// calls it too, so such a save is finished before the process ends.
void FinishWaitingSave();

// Removes the temporary files of saves cut short (a killed game) beside the file, unless
// another process holds the file's lock.
void TidyRankingFolder(const char* path);
