// Renders the takes of pieces in the background, on a synthesizer of its own at the
// lowest priority, one after another, so the mixer's thread never pays for them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace music {

// Asks for the piece's take to be written to `take` (once per file for the run).
void FillTake(const std::filesystem::path& take, const std::string& soundfont, const std::vector<std::uint8_t>& piece);
// Waits until every take asked for is written or given up.
void FinishTakes();
// Gives up the takes not written yet and ends the background thread.
void StopFillingTakes();

}  // namespace music
