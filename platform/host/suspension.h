// The game is suspended while its window has lost the focus or is minimised: its clock
// (timeGetTime) stands still meanwhile, so every time the game measures (frame gates,
// the countdown, the play time) leaves the suspension out, and it goes on where it was.
#pragma once

#include <cstdint>

// Times are the backend's clock, read by the caller.
void SetSuspended(bool suspended, std::uint64_t nowMs);
// The backend's clock less every suspended span; frozen while suspended.
std::uint64_t GameClockMs(std::uint64_t nowMs);
