// The game's loop in the browser: the browser runs its turns from a timer set for when
// the game's next frame is due, so nothing waits inside the game (no Asyncify unwinding
// on the way from one frame to the next), and puts each frame on the page at the
// display's next refresh. The game's own frame gate keeps its 50 frames a second
// whatever the display's rate.
#pragma once

namespace web_backend {

// Hands the loop to the browser: `turn` (one turn of the game's loop, true with the exit
// code once the game quits) runs until the game quits, and the program then exits with
// that code. Returns at once; main then returns to the browser, the program still alive.
void RunTurns(bool (*turn)(int* exitCode));

}  // namespace web_backend
