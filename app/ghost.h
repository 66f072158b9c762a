// The ghost of the player's best run (first place's before any clear) on the overlay: the
// run's track read from its kept demo when the best changes, and the hero's cell where
// that run's hero was at the play time of the picture on screen. It only reads the game:
// nothing it does enters a frame, a check or a demo.
#pragma once

#include "platform/overlay/overlay.h"

// Called at each present with the play time of the last frame of play. Fills `ghost` when
// it is `wanted` and play is on screen, the best run keeps its demo and that run's hero is
// still on its way.
void FillGhost(bool wanted, std::uint32_t playTimeMs, overlay::Ghost* ghost);
