// What a run carries over from before its stage's start (the random sequence, the
// ranking read, the hero's facing, the menus' selections, the loop's last message, the
// piece playing), written as numbers so that a demo can start a game at that run.
#pragma once

#include <cstdint>
#include <vector>

// What the game carries into a run, saved at the loop turn that loads the stage (or, for
// RestoreGameAside, between any two turns).
std::vector<std::uint8_t> SaveRunStart();
// Sets the game to a saved run start, at the loop turn that loads the stage; false (the
// game then in no state to play) when `state` is damaged or out of the game's ranges.
bool RestoreRunStart(const std::vector<std::uint8_t>& state);

// Sets the game to a state SaveRunStart saved between two loop turns in any scene: the
// whole game but for the stage's map (play always loads it first) and the surfaces'
// pictures (each screen's start draws them). A kept run watched in the game's place plays
// in the same globals, and the game comes back as it stood.
bool RestoreGameAside(const std::vector<std::uint8_t>& state);
