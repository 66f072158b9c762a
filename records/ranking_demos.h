// Each ranking entry keeps the demo of the run that made it, as "demos/<score>.lbdemo"
// in the folder of the ranking file, so every entry names its proof.
#pragma once

#include <cstdint>
#include <string>

// The demo file of a ranking entry (it may not exist).
std::string RankingDemoPath(std::int32_t score, const char* rankingPath);

// After a save: writes the run so far as the new score's demo when the score is one of
// the five, and removes the demos of scores no longer among them. Nothing it fails to do
// touches the ranking; a failure is one line on stderr.
void KeepRankingDemos(std::uint32_t score, const char* rankingPath, const std::int32_t* ranking);
