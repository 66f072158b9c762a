// A looping piece is synthesized once: its first pass is kept on disk and later passes,
// and later runs, read it back. Each pass ends after as many frames as the first and
// sounds as the synthesizer made it, the tails of the pass before included (a note held
// to the piece's end rings on into the next pass). Takes that cannot be written or read
// leave the music to the synthesizer, and the folder they are kept in stays private, tidy
// and bounded. Uses the system's soundfont.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/music/music.h"
#include "platform/music/take_filler.h"
#include "tests/support/harness.h"
#include "tests/support/midi.h"

namespace {

namespace fs = std::filesystem;
using Samples = std::vector<std::int16_t>;

// Frames rendered per call while taking a pass: the engine's own block, so that a pass's
// length is known to the block its end fell in.
constexpr int PASS_BLOCK = 64;

// Renders until the piece reports its end: one pass, from its start.
Samples Pass() {
    Samples samples;
    for (bool ended = false; !ended && samples.size() < 44100 * 2 * 5;) {
        const std::size_t at = samples.size();
        samples.resize(at + PASS_BLOCK * 2);
        ended = music::RenderMusic(samples.data() + at, PASS_BLOCK) == 0;
    }
    return samples;
}

// The largest difference between the samples in [from, to).
int Apart(const Samples& a, const Samples& b, std::size_t from, std::size_t to) {
    int most = 0;
    for (std::size_t i = from; i < std::min({to, a.size(), b.size()}); ++i) most = std::max(most, std::abs(a[i] - b[i]));
    return most;
}

int Loudest(const Samples& s, std::size_t from, std::size_t to) {
    int most = 0;
    for (std::size_t i = from; i < to; ++i) most = std::max(most, std::abs(int{s[i]}));
    return most;
}

class MusicLoop : public ::testing::Test {
protected:
    // A run of the engine keeping its takes in `takes`: the passes it plays, the takes
    // asked for written before the second.
    std::vector<Samples> Run(const fs::path& takes, int passes, const char* piece = "loop.mid",
                             std::uintmax_t most = music::MOST_TAKE_BYTES) {
        music::KeepTakesIn(takes, most);
        if (!music::StartMusic()) return {};
        EXPECT_TRUE(music::LoadMusic(0, piece));
        std::vector<Samples> played;
        for (int pass = 0; pass < passes; ++pass) {
            music::PlayMusic(0);
            played.push_back(Pass());
            music::FinishTakes();
        }
        music::ShutDownMusic();
        return played;
    }
    static std::vector<fs::path> Takes(const fs::path& folder) {
        std::vector<fs::path> files;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(folder, error)) files.push_back(entry.path());
        return files;
    }
    void SetUp() override {
        // One organ note held to the piece's end at 1.0 s, so its release sounds past the end.
        test::WriteFile("loop.mid", test::OrganNote(960, 960));
        // Another note, a fifth higher.
        std::string other = test::OrganNote(960, 960);
        other[other.find(std::string("\x90\x3C", 2)) + 1] = '\x43';
        other[other.find(std::string("\x80\x3C", 2)) + 1] = '\x43';
        test::WriteFile("other.mid", other);
        // Ten short organ notes, a twentieth of a second each (48 ticks at 480 a beat, 120
        // a minute), the track ending at 0.5 s.
        std::string beats = std::string("\0\xFF\x51\x03\x07\xA1\x20", 7) + std::string("\0\xC0\x10", 3);
        for (int note = 0; note < 10; ++note) {
            beats += std::string(note == 0 ? "\0" : "\x18", 1) + std::string("\x90\x3C\x64", 3);
            beats += std::string("\x18\x80\x3C\0", 4);
        }
        test::WriteFile("beats.mid", test::MidiFile(480, beats + std::string("\0\xFF\x2F\0", 4)));
    }

    test::ScratchDir dir_;
};

TEST_F(MusicLoop, LaterPassesAndRunsReadTheFirstBackOverTheTailsOfThePassBefore) {
    const fs::path takes = dir_.Path() / "cache/music";
    const std::vector<Samples> played = Run(takes, 4);
    if (played.empty()) GTEST_SKIP() << "no soundfont";
    ASSERT_EQ(Takes(takes).size(), 1u);
    const Samples& first = played[0];
    ASSERT_GT(first.size(), 44100u * 2 * 9 / 10);
    // The note sounds, and a pass starts over the release of the one before; the first
    // starts from silence (its first 10 ms are the fade in).
    EXPECT_GT(Loudest(first, first.size() / 2, first.size()), 1000);
    const std::size_t fadeIn = 441 * 2;
    EXPECT_GT(Loudest(played[1], 0, fadeIn), 500);
    for (std::size_t pass = 1; pass < played.size(); ++pass) {
        SCOPED_TRACE(pass + 1);
        ASSERT_EQ(played[pass].size(), first.size());
        EXPECT_LE(Apart(played[pass], played[1], 0, first.size()), 2) << "not as the second pass";
        EXPECT_LE(Apart(played[pass], first, first.size() / 2, first.size()), 2)
            << "not as the first pass once the tails have died";
    }
    // A later run starts from the take as from silence.
    const std::vector<Samples> again = Run(takes, 1);
    ASSERT_EQ(again.size(), 1u);
    ASSERT_EQ(again[0].size(), first.size());
    EXPECT_LE(Apart(again[0], first, 0, first.size()), 2);
    // A piece of seven seconds is kept too: the bound on a take is for a piece that never ends.
    test::WriteFile("long.mid", test::OrganNote(960, 7 * 960));
    Run(takes, 1, "long.mid");
    EXPECT_EQ(Takes(takes).size(), 2u);
}

TEST_F(MusicLoop, TakesThatCannotBeWrittenOrAreDamagedLeaveTheMusicToTheSynthesizer) {
    // A folder that cannot be made: a file stands where it would go.
    test::WriteFile("blocked", "");
    const std::vector<Samples> unwritten = Run(dir_.Path() / "blocked/music", 2);
    if (unwritten.empty()) GTEST_SKIP() << "no soundfont";
    EXPECT_EQ(unwritten[1].size(), unwritten[0].size());
    EXPECT_GT(Loudest(unwritten[1], 0, 441 * 2), 500);

    const fs::path takes = dir_.Path() / "takes";
    const Samples first = Run(takes, 1).at(0);
    ASSERT_EQ(Takes(takes).size(), 1u);
    const fs::path take = Takes(takes)[0];
    const auto whole = fs::file_size(take);
    // Cut short: played on the synthesizer, and written whole again.
    fs::resize_file(take, whole / 2);
    Samples played = Run(takes, 1).at(0);
    EXPECT_EQ(played.size(), first.size());
    EXPECT_GT(Loudest(played, played.size() / 2, played.size()), 1000);
    EXPECT_EQ(fs::file_size(take), whole);
}

// Damage inside a take ends it where it is found, and the synthesizer plays the rest of
// the pass from there: the later notes sound, and the pass ends on time. The file goes,
// to be written again.
TEST_F(MusicLoop, DamageInsideATakeLeavesTheRestOfThePassToTheSynthesizer) {
    const fs::path takes = dir_.Path() / "takes";
    const std::vector<Samples> whole = Run(takes, 1, "beats.mid");
    if (whole.empty()) GTEST_SKIP() << "no soundfont";
    const Samples& first = whole[0];
    ASSERT_EQ(Takes(takes).size(), 1u);
    const fs::path take = Takes(takes)[0];
    {
        std::fstream file(take, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(fs::file_size(take) / 4));
        const std::string noise(64, '\x5A');
        file.write(noise.data(), static_cast<std::streamsize>(noise.size()));
    }
    const Samples played = Run(takes, 1, "beats.mid").at(0);
    EXPECT_NEAR(static_cast<double>(played.size()), static_cast<double>(first.size()), 2.0 * PASS_BLOCK * 2);
    // Each tenth of the pass's last half holds a note.
    for (std::size_t tenth = 5; tenth < 10; ++tenth) {
        SCOPED_TRACE(tenth);
        EXPECT_GT(Loudest(played, played.size() * tenth / 10, played.size() * (tenth + 1) / 10), 1000);
    }
    EXPECT_FALSE(fs::exists(take));
}

// What lies at a take's name and is not its take is passed over at once and written anew:
// a FIFO (never waited on) and another piece's take renamed into place.
TEST_F(MusicLoop, AFifoOrAnotherPiecesTakeAtATakesNameIsPassedOver) {
    const fs::path takes = dir_.Path() / "takes";
    const std::vector<Samples> live = Run(takes, 1);
    if (live.empty()) GTEST_SKIP() << "no soundfont";
    const fs::path take = Takes(takes).at(0);
    const std::string bytes = test::ReadFile(take.string());
    fs::remove(take);
    ASSERT_EQ(::mkfifo(take.c_str(), 0600), 0);
    Samples played = Run(takes, 1).at(0);
    EXPECT_LE(Apart(played, live[0], 0, live[0].size()), 2);
    EXPECT_EQ(test::ReadFile(take.string()), bytes);

    const fs::path others = dir_.Path() / "others";
    ASSERT_EQ(Run(others, 1, "other.mid").size(), 1u);
    fs::rename(Takes(others).at(0), take);
    played = Run(takes, 1).at(0);
    EXPECT_LE(Apart(played, live[0], 0, live[0].size()), 2) << "the other piece played";
    EXPECT_EQ(test::ReadFile(take.string()), bytes);
}

// The folder is the user's alone. Links planted at the names the takes are written under
// are never followed. What renders killed mid-way left is removed at the start, and the
// takes stay within their bound, the ones played longest ago going first; other files
// stay.
TEST_F(MusicLoop, TheFolderIsPrivateTidyAndBoundedAndPlantedLinksAreNotFollowed) {
    const fs::path takes = dir_.Path() / "takes";
    if (Run(takes, 1).empty()) GTEST_SKIP() << "no soundfont";
    const fs::path take = Takes(takes).at(0);
    const auto size = fs::file_size(take);
    fs::remove(take);
    fs::permissions(takes, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    test::WriteFile("victim", "kept");
    for (int serial = 0; serial < 100; ++serial) {
        fs::create_symlink(dir_.Path() / "victim",
                           take.string() + ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(serial));
    }
    Run(takes, 1);
    EXPECT_EQ(test::ReadFile("victim"), "kept");
    EXPECT_EQ(fs::status(takes).permissions(), fs::perms::owner_all);
    for (const fs::path& file : Takes(takes)) fs::remove(file);

    // A process that has ended.
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    const std::string leftover = "0123456789abcdef.flac.partial-" + std::to_string(ended) + "-0";
    test::WriteFile((takes / leftover).string(), "cut short");
    test::WriteFile((takes / "notes.txt").string(), std::string(4 * size, 'n'));
    const auto now = fs::file_time_type::clock::now();
    const char* older[] = {"00000000000000a1.flac", "00000000000000a2.flac", "00000000000000a3.flac"};
    for (int i = 0; i < 3; ++i) {
        test::WriteFile((takes / older[i]).string(), std::string(size, 'x'));
        fs::last_write_time(takes / older[i], now - std::chrono::hours(3 - i));
    }
    // Room for two takes and a half: the oldest goes at the start, the next once the new
    // one is in.
    Run(takes, 1, "loop.mid", 2 * size + size / 2);
    EXPECT_FALSE(fs::exists(takes / leftover));
    EXPECT_TRUE(fs::exists(takes / "notes.txt"));
    EXPECT_FALSE(fs::exists(takes / older[0]));
    EXPECT_FALSE(fs::exists(takes / older[1]));
    EXPECT_TRUE(fs::exists(takes / older[2]));
    EXPECT_TRUE(fs::exists(take));
}

}  // namespace
