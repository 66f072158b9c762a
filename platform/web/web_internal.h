// Pieces the browser backend's files share with each other; nothing outside platform/web/
// includes this. The page's own script (page.js) and the JavaScript libraries beside
// these files call in through the functions exported at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host/packing.h"
#include "platform/host/storage.h"
#include "platform/seam/backend.h"

namespace web_backend {

#include "platform/seam/backend_modules.h"
extern const Storage STORAGE;
extern const Packing PACKING;
// Hands the loop to the browser (web_clock.cpp): the turns run from its timers until the
// game quits, and the program then exits with the code.
int RunTurns(bool (*turn)(int* exitCode));

// Installs the page's keyboard, focus and visibility handlers.
void StartInput();
// Whether the page is shown and has the focus, and the player has started the game
// (before that, only the first frame); the game is suspended otherwise.
bool PageActive();
// The first picture is on the page: the game holds it until the page's start.
void FirstPictureShown();

// The test switch: time is a virtual clock that moves one millisecond per idle turn, and
// the keys come from a script stamped with the count of event pumps.
bool VirtualClock();

// Applies the settings the page changed (web_world.cpp), on the game's turn.
void ApplyPageSettings();

// Presses from the keyboard, the touch buttons, the gamepads and the script.
void QueueKeyDown(int virtualKey);
void ToggleMute();
void ChangeVolume(int steps);

// True while a connected gamepad holds the button or stick direction mapped to the key;
// PollGamepads queues presses since the last poll.
void PollGamepads();
bool GamepadHeld(int virtualKey);

}  // namespace web_backend

extern "C" {
// Called by the page: a touch button pressed (1) or released (0).
void WebTouchKey(int virtualKey, int down);
// Called by the page at the player's first key, click or touch.
void WebStart();
// Called by the page: its settings opened over the game (1), the game suspended
// meanwhile, or closed (0).
void WebHold(int held);
// Called by the page before the game starts, for tests only: see VirtualClock().
void WebUseVirtualClock(const char* script);
}
