// Process entry, start-up and the main loop with the scene switch and its music.
#pragma once

#include "platform/win32.h"

extern HWND g_hwnd;

// Start-up, then the loop's turns as the backend runs them: the game's exit code, or 0 at
// once where the host calls the turns itself (the browser).
int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int cmdShow);

// Start-up steps up to the main loop; false when no window could be made (WinMain then
// returns 0 at once).
bool StartUp(HINSTANCE instance, int cmdShow);
// One turn of the main loop; true once WM_QUIT has been fetched, with its exit code.
bool LoopTurn(int* exitCode);

// The loop's last fetched message, which the scenes' music reads: a run's start state
// carries it.
MSG LastMessage();
void SetLastMessage(const MSG& message);
// The next turn runs the scene without fetching messages first: a run restored from its
// start state resumes inside the turn where it was saved.
void ResumeInsideTurn();
