// The music engine: one FluidSynth synthesizer for the whole run, the soundfont loaded
// once, and a MIDI player per piece, rendered into a buffer the caller gives (the SDL
// backend's mixer hook, or a file for tools). A piece ends when its player reaches its
// last tick, not when the synthesizer's release tails have died away. Stops and changes
// fade out over a few milliseconds; a piece that restarts after its own end starts at
// once over its tails. Rendering may run on another thread than the calls that steer it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace music {

// Frames per second of everything the engine renders.
constexpr int MUSIC_RATE = 44100;
// What the kept takes may fill on disk, together (the eight pieces take about 7 MB).
constexpr std::uintmax_t MOST_TAKE_BYTES = std::uintmax_t{64} << 20;

// Keeps each piece's first pass as rendered in files in `folder` (made private to the
// user, tidied of what killed renders left, its takes kept under `most` bytes), so later
// passes, and later runs, read it back instead of synthesizing it. Call before
// StartMusic; holds until ShutDownMusic. Without it, or without the folder, every pass is
// synthesized.
void KeepTakesIn(const std::filesystem::path& folder, std::uintmax_t most = MOST_TAKE_BYTES);
// Finds the soundfont and starts loading it in the background; the first PlayMusic
// waits for it. False (after one line on stderr) when there is no usable soundfont;
// one that fails to load says so then, and the music stays silent.
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
// Renders the next frames (interleaved stereo) of the music. Returns the id of the piece
// that reached its end during these frames, or -1. Silence once the engine is shut down.
int RenderMusic(std::int16_t* out, int frames);
// Level of the music, 0..1, reached by a short ramp.
void SetMusicLevel(float level);
// While held the music renders nothing, so its players stand still.
void HoldMusic(bool held);
// Lets a fade under way finish (for a few milliseconds at most), then frees the
// synthesizer.
void ShutDownMusic();

}  // namespace music
