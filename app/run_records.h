// The player's records kept around the game, not in it: the fastest clear ("your best",
// whatever it scored, with its demo beside the ranking) and what the last clear came to
// (its place, a new best). The game's scenes are watched from the loop, turn by turn.
#pragma once

#include <cstdint>
#include <string>

struct ClearOutcome {
    bool made = false;  // a stage was cleared in this session
    std::uint32_t playTimeMs = 0;
    std::uint32_t score = 0;
    int place = 0;  // among the five, 1-5; 0: entered nothing
    bool newBest = false;
    bool onResults = false;  // the results on screen are this clear's (not the A shortcut's)
};

// The game path of the best clear's play time, and of its demo.
constexpr const char* BEST_PATH = "txt\\Ranking\\Best.txt";
constexpr const char* BEST_DEMO_PATH = "txt\\Ranking\\demos\\best.lbdemo";

// Reads the player's best (none when the file is missing or holds no play time).
void LoadBest();
// The fastest clear's play time; 0 when there is none.
std::uint32_t BestTimeMs();
const ClearOutcome& LastClear();

// Around each call of the current scene's handler: a clear's results entering their
// score are seen here. A clear faster than the best becomes the best, kept with the run's
// demo (`demo`, asked only then; empty: no demo kept).
void BeforeScene();
void AfterScene(std::string (*demo)());
