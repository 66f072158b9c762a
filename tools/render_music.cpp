// Renders a MIDI piece of the game to a WAV file with the game's music engine:
//   render_music PIECE.mid OUT.wav
#include <cstdio>
#include <string>

#include "platform/music/music_file.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_music PIECE.mid OUT.wav\n");
        return 2;
    }
    std::string failure;
    if (!music::RenderPieceToWav(argv[1], argv[2], &failure)) {
        std::fprintf(stderr, "render_music: %s\n", failure.c_str());
        return 1;
    }
    return 0;
}
