// The scene switch: the table of scenes, each with its handler and the music it sends.
#pragma once

#include <string>

#include "platform/win32.h"

// Runs the current scene's handler, then sends its music; `lastFetched` is the last
// message the loop fetched, which tells whether a piece has just played to its end.
void RunScene(const MSG& lastFetched);
// The scene's name for messages ("play", "title start", ...); "none" outside the table.
const char* SceneName(int scene);

// The piece (by alias) whose end the window waits to hear of, empty when none; a piece
// played to its end is told by PieceEnded, and AwaitPiece plays one from its start.
const std::string& AwaitedPiece();
void AwaitPiece(const std::string& alias);
void PieceEnded();
// Stops the piece the window waits for, if any (a run watched in the game's place starts,
// and the game comes back, in silence).
void StopAwaitedPiece();
