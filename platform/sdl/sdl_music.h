// The music engine of the SDL backend: one FluidSynth synthesizer for the whole run, the
// soundfont loaded once, and a MIDI player per piece, rendered into SDL_mixer's music hook
// so the effects mix over it. A piece ends when its player reaches its last tick, not
// when the synthesizer's release tails have died away. Stops and changes fade out over a
// few milliseconds; a piece that restarts after its own end starts at once over its tails.
#pragma once

#include <cstdint>
#include <string>

namespace sdl_backend {

// Call once the mixer is open: finds and loads the soundfont and hooks the mixer. False
// (after one line on stderr) when there is no usable soundfont.
bool StartMusic();
// Reads a piece and makes sure its instruments are in memory. False when the file is not
// a MIDI file the engine can play (said once on stderr); such a piece stays silent.
bool LoadMusic(int id, const std::string& path);
// Starts the piece from its beginning, stopping whichever piece played.
void PlayMusic(int id);
// Fades the piece out if it plays or is about to.
void StopMusic(int id);
// Stops the piece and forgets it.
void ReleaseMusic(int id);
// Renders the next frames (interleaved stereo) of the music; the mixer's hook calls it.
void RenderMusic(std::int16_t* out, int frames);
// Level of the music, 0..1, reached by a short ramp.
void SetMusicLevel(float level);
// While held the music renders nothing, so its players stand still.
void HoldMusic(bool held);
// Unhooks the mixer and frees the synthesizer.
void ShutDownMusic();

}  // namespace sdl_backend
