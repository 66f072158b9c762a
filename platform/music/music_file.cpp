#include "platform/music/music_file.h"

#include <cstdint>
#include <fstream>
#include <vector>

#include "platform/music/music.h"

namespace {

// Rendered in the engine's own block size, so the file ends within 1.5 ms of the piece.
constexpr int BLOCK_FRAMES = 64;
// A piece that never reaches its end is cut here rather than filling the disk.
constexpr std::size_t MAX_FRAMES = std::size_t{music::MUSIC_RATE} * 60 * 10;
// The engine's id for the one piece a file is rendered from.
constexpr int PIECE = 0;

void PutLittle(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

bool WriteWav(const std::string& path, const std::vector<std::int16_t>& samples) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    PutLittle(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    PutLittle(out, 16, 4);
    PutLittle(out, 1, 2);  // PCM
    PutLittle(out, 2, 2);  // stereo
    PutLittle(out, music::MUSIC_RATE, 4);
    PutLittle(out, music::MUSIC_RATE * 4, 4);
    PutLittle(out, 4, 2);
    PutLittle(out, 16, 2);
    out.write("data", 4);
    PutLittle(out, dataBytes, 4);
    for (const std::int16_t sample : samples) PutLittle(out, static_cast<std::uint16_t>(sample), 2);
    out.close();
    return out.good();
}

}  // namespace

namespace music {

bool RenderPieceToWav(const std::string& midiPath, const std::string& wavPath, std::string* failure) {
    if (!StartMusic()) {
        *failure = "no soundfont";
        return false;
    }
    if (!LoadMusic(PIECE, midiPath)) {
        ShutDownMusic();
        *failure = midiPath + " is not a MIDI file that can be played";
        return false;
    }
    PlayMusic(PIECE);
    std::vector<std::int16_t> samples;
    for (bool ended = false; !ended && samples.size() < MAX_FRAMES * 2;) {
        const std::size_t at = samples.size();
        samples.resize(at + BLOCK_FRAMES * 2);
        ended = RenderMusic(samples.data() + at, BLOCK_FRAMES) == PIECE;
    }
    ShutDownMusic();
    if (!WriteWav(wavPath, samples)) {
        *failure = "cannot write " + wavPath;
        return false;
    }
    return true;
}

}  // namespace music
