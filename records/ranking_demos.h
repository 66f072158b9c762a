// Each ranking entry keeps the demo of the run that made it, as "demos/<score>.lbdemo"
// in the folder of the ranking file, so every entry names its proof.
#pragma once

#include <cstdint>
#include <string>

// Whatever records the runs, as the app sets it up; a null member does nothing.
struct RunKeeping {
    // A clear entered into the ranking, with its play time and score.
    void (*cleared)(std::uint32_t playTimeMs, std::uint32_t score);
    // The current run from its stage's start as a demo file's bytes (empty when it cannot
    // be kept); null while nothing is recorded.
    std::string (*runBytes)();
    // Shows a demo file if its last clear scored `score`; true when shown.
    bool (*watch)(const std::string& path, std::uint32_t score);
    // Whether the demo file is readable and its last clear scored `score`.
    bool (*scored)(const std::string& path, std::uint32_t score);
    // Sends a demo file to the world ranking if its last clear scored `score`.
    bool (*send)(const std::string& path, std::uint32_t score);
};
extern RunKeeping g_runKeeping;

// The demo file of a ranking entry (it may not exist).
std::string RankingDemoPath(std::int32_t score, const char* rankingPath);

// The run so far as a demo file's bytes; empty when the run is not recorded.
std::string RunSoFar();

// After a save: writes `demo` (the run that made the score, from RunSoFar) as the new
// score's demo when the score is one of the five, and removes the demos of scores no
// longer among them; does nothing when the run is not recorded. Nothing it fails to do
// touches the ranking; a failure is one line on stderr.
void KeepRankingDemos(std::uint32_t score, const char* rankingPath, const std::int32_t* ranking,
                      const std::string& demo);

// Whether the entry at `place` (0 for first) keeps a demo of the run that scored it.
bool PlaceKeepsItsRun(int place, const char* rankingPath);

// Shows the demo of the first entry of g_ranking, if it keeps the run that scored it.
void WatchBestRun(const char* rankingPath);
// Sends that demo to the world ranking, if it keeps the run.
void SendBestRun(const char* rankingPath);
