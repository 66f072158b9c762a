// The scene switch: the table of scenes, each with its handler and the music it sends.
#pragma once

#include "platform/win32.h"

// Runs the current scene's handler, then sends its music; `lastFetched` is the last
// message the loop fetched, which tells whether a piece has just played to its end.
void RunScene(const MSG& lastFetched);
// The scene's name for messages ("play", "title start", ...); "none" outside the table.
const char* SceneName(int scene);
