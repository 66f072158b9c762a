// Renders the takes of pieces in the background, on a synthesizer of its own at the
// lowest priority, one after another, so the mixer's thread never pays for them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace music {

// A take to write: where, its key, and what it is of.
struct TakeOrder {
    std::filesystem::path take;
    std::string key;
    std::string pieceName;
    std::vector<std::uint8_t> piece;
    std::string soundfont;
    std::uintmax_t folderBytes;  // what the takes in its folder may fill, together
};

// Asks for the take to be written (once per file for the run); the oldest takes beside it
// go once it is, as the folder's bound asks.
void FillTake(TakeOrder order);
// Waits until every take asked for is written or given up.
void FinishTakes();
// Gives up the takes not written yet and ends the background thread.
void StopFillingTakes();

}  // namespace music
