// The one music piece of the SDL backend. A FluidSynth instance holds the whole soundfont
// (about 18 MB, and 0.1 to 0.3 s to load), so only the piece last played is kept, and a
// piece not yet loaded is loaded on a thread of its own and started when ready: the game
// loop never waits for it.
#pragma once

#include <string>

namespace sdl_backend {

// Call once the mixer is open and the soundfont set.
void StartMusic();
// Starts the piece from its beginning, stopping whichever piece played.
void PlayMusic(int id, const std::string& path);
// Stops the piece if it plays or is about to.
void StopMusic(int id);
// Stops the piece and lets go of its synthesizer.
void ReleaseMusic(int id);
// Stops everything and ends the loading thread.
void ShutDownMusic();

}  // namespace sdl_backend
