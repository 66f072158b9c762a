// Renders a piece with the music engine into a WAV file, for tools that need the music
// as samples (a build for a platform without a synthesizer of its own).
#pragma once

#include <string>

namespace music {

// Renders the piece from its start to its end (where the game would restart it), as
// 16-bit stereo at MUSIC_RATE. False, with *failure saying why, when there is no
// soundfont, the piece cannot be played, or the file cannot be written.
bool RenderPieceToWav(const std::string& midiPath, const std::string& wavPath, std::string* failure);

}  // namespace music
