// Each ranking entry keeps the demo of the run that made it, as "demos/<score>.lbdemo"
// in the folder of the ranking file, so every entry names its proof.
#pragma once

#include <cstdint>
#include <string>

// The demo file of a ranking entry (it may not exist).
std::string RankingDemoPath(std::int32_t score, const char* rankingPath);

// The run so far as a demo file's bytes; empty when the run is not recorded.
std::string RunSoFar();

// After a save: writes `demo` (the run that made the score, from RunSoFar) as the new
// score's demo when the score is one of the five, and removes the demos of scores no
// longer among them; does nothing when the run is not recorded. Nothing it fails to do touches the
// ranking; a failure is one line on stderr.
void KeepRankingDemos(std::uint32_t score, const char* rankingPath, const std::int32_t* ranking,
                      const std::string& demo);

// Shows the demo of the first entry of g_ranking, if it keeps one.
void WatchBestRun(const char* rankingPath);
