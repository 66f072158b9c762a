// Saving a new score into the ranking file, so that neither another game saving at the
// same moment nor a file the game cannot read loses any score.
#pragma once

#include <cstdint>

// Why the last save failed, for the ranking screen; empty while the ranking is saved.
extern char g_saveFailure[128];

// Enters the score into the ranking as the file holds it now, not as it was read at
// start: under the file's lock the file is read again, the score entered and the table
// sorted and written back whole. g_ranking then holds what was saved. A file that does
// not hold numbers is kept aside and a fresh one started. A save that fails leaves the
// file and g_ranking as they were and says why on stderr and in g_saveFailure.
void SaveScore(std::uint32_t score, const char* path);

// Removes the temporary files of saves cut short (a killed game) beside the file.
void TidyRankingFolder(const char* path);
