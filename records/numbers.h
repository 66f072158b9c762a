// Number files (integers each followed by a comma) and the ranking table.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

constexpr int RANKING_SIZE = 5;
constexpr int RANKING_CANDIDATE = 5;

// Five ranked scores, best first, and the candidate slot for a new score.
extern std::int32_t g_ranking[6];

// Reads one number as "%d," does: white space, a sign, digits, and the comma if it follows
// at once. False, with the offending character left unread, when no number starts there.
// A number beyond the int range reads as the nearest limit.
bool ScanNumber(std::FILE* file, std::int32_t& value);
// Reads up to count "%d," numbers (after a UTF-8 byte order mark, if any); entries from
// the first unreadable one on keep their values. A file that cannot be opened changes
// nothing.
void ReadNumbers(int count, std::int32_t* values, const char* path);
// Whether ReadNumbers reads the first `count` numbers from the file (what follows them is
// not looked at), or the file holds nothing but fewer numbers in that form; true for a
// file that cannot be opened (there is nothing in it to keep).
bool ReadsAsNumbers(int count, const char* path);
// The numbers in the "%d," form.
std::string FormatNumbers(int count, const std::int32_t* values);
// Writes the numbers in the "%d," form, replacing the file atomically (a link stays and
// its target is replaced); nothing when that fails.
void WriteNumbers(int count, const std::int32_t* values, const char* path);
// Largest first, compared as unsigned 32-bit numbers.
void SortDescending(int count, std::int32_t* values);
// The entry test: the score takes the candidate slot if it is at least one of the five
// ranked entries (compared as unsigned); otherwise the candidate slot keeps its value.
void EnterScore(std::int32_t* values, std::uint32_t score);
// The place (1-5) a score takes among the five ranked entries: after every entry above it
// and every one equal to it (a tie does not take the place of the run that made it
// first); 0 when that leaves it out of the five.
int PlaceOf(const std::int32_t* ranking, std::uint32_t score);
