// The game's side of the overlay: what the overlay shows, read from the game's state and
// the player's records at each present (never from the clock: that would enter the demo).
#pragma once

#include <string>

// The overlay is off for this run (--classic): only the game's own frames and the notes.
void AskForClassic();

// Hands the feed to the overlay.
void StartOverlay();

// G in play shows or hides the best run's ghost, kept in the settings; a replay's keys
// change nothing of the player's.
void OverlayKey(int virtualKey);

// A short line shown on the overlay for about two seconds of frames.
void ShowOverlayNote(const std::string& note);
