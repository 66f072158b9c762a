// A piece rendered into a WAV file, as the browser's build takes its music: the header a
// player reads, samples to the piece's end, and a file that cannot be written said so.
#include "platform/music/music_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/support/harness.h"
#include "tests/support/midi.h"

namespace {

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

TEST(MusicFile, APieceBecomesSixteenBitStereoToItsEnd) {
    test::ScratchDir dir;
    test::WriteFile("note.mid", test::OrganNote(480, 960));  // half a second held, ends at 1 s
    std::string failure;
    if (!music::RenderPieceToWav("note.mid", "note.wav", &failure)) {
        if (failure == "no soundfont") GTEST_SKIP() << failure;
        FAIL() << failure;
    }
    const std::string wav = test::ReadFile("note.wav");
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4) + wav.substr(8, 8) + wav.substr(36, 4), "RIFFWAVEfmt data");
    EXPECT_EQ(Little(wav, 4, 4), wav.size() - 8);
    EXPECT_EQ(Little(wav, 40, 4), wav.size() - 44);
    const struct {
        std::size_t at;
        int size;
        std::uint32_t value;
    } fields[] = {{16, 4, 16}, {20, 2, 1}, {22, 2, 2}, {24, 4, 44100}, {28, 4, 44100 * 4}, {32, 2, 4}, {34, 2, 16}};
    for (const auto& f : fields) EXPECT_EQ(Little(wav, f.at, f.size), f.value) << "at " << f.at;
    // A second, within a few of the engine's blocks of 64 frames.
    EXPECT_NEAR(static_cast<double>(wav.size() - 44) / 4, 44100.0, 3 * 64.0);

    EXPECT_FALSE(music::RenderPieceToWav("note.mid", "missing/note.wav", &failure));
    EXPECT_EQ(failure, "cannot write missing/note.wav");
}

}  // namespace
