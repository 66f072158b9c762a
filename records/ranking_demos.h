// Each ranking entry keeps the demo of the run that made it, in "demos" in the folder of
// the ranking file, so every entry names its proof. Entries of equal score are told apart
// by their order among themselves: entry n (from 0) of score S keeps "S-n.lbdemo". No save
// changes that order (a new entry goes below the equal ones already there, and the entry
// pushed out is the last of its score), so no kept demo is ever renamed.
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

// The demo file of the entry at `place` (0 for first) of the five in `ranking` (it may
// not exist). A demo kept under the score alone, as earlier versions kept them, is the
// first entry of that score's.
std::string PlaceDemoPath(int place, const std::int32_t* ranking, const char* rankingPath);

// The run so far as a demo file's bytes; empty when the run is not recorded.
std::string RunSoFar();

// After a save that entered a score at `place` (1-5; 0: it entered nothing) of the five
// in `ranking`, as saved: writes `demo` (the run that made the score, from RunSoFar) as
// that entry's demo, then removes the demos of entries no longer among the five; does
// nothing when the run is not recorded. Nothing it fails to do touches the ranking; a
// failure is one line on stderr.
void KeepRankingDemos(int place, const char* rankingPath, const std::int32_t* ranking, const std::string& demo);

// Whether the entry at `place` (0 for first) of g_ranking keeps a demo of the run that
// scored it.
bool PlaceKeepsItsRun(int place, const char* rankingPath);

// Shows the demo of the entry at `place` (0 for first) of g_ranking, if it keeps the run
// that scored it; true when shown.
bool WatchPlace(int place, const char* rankingPath);
// Sends first place's demo to the world ranking, if it keeps the run.
void SendBestRun(const char* rankingPath);
