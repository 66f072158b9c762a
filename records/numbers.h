// Number files (integers each followed by a comma) and the ranking table.
#pragma once

#include <cstdint>

constexpr int RANKING_SIZE = 5;
constexpr int RANKING_CANDIDATE = 5;

// Five ranked scores, best first, and the candidate slot for a new score.
extern std::int32_t g_ranking[6];

// Reads up to count "%d," numbers; entries from the first unreadable one on keep their
// values. A file that cannot be opened changes nothing.
void ReadNumbers(int count, std::int32_t* values, const char* path);
// Writes the numbers in the "%d," form, replacing the file.
void WriteNumbers(int count, const std::int32_t* values, const char* path);
// As WriteNumbers, but the old file stays whole unless the new one is completely written.
void SaveNumbersAtomically(int count, const std::int32_t* values, const char* path);
// Largest first, compared as unsigned 32-bit numbers.
void SortDescending(int count, std::int32_t* values);
