// The game's globals read into the plain view that demos and overlays see.
#pragma once

#include "platform/seam/game_view.h"

// Fills `view` from the game as it is now.
void FillGameView(GameView* view);
