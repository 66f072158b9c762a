// Shared test helpers: a scratch working directory and the game run headless on the real
// main loop, turn by turn.
#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/midi.h"

namespace test {

// Installs the headless backend and has every MCI command string logged by it (the test
// programs' main does, first).
void UseHeadlessBackend();

// A fresh temporary folder as the working directory until destroyed, then removed.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

// Copies the repository's data/ tree into the working directory.
void CopyRealData();
// A scratch directory holding a copy of the repository's data/ tree.
class DataDir : public ScratchDir {
public:
    DataDir() { CopyRealData(); }
};

// Writes a file, creating its folders; the path uses forward slashes.
void WriteFile(const std::string& path, const std::string& contents);
std::string ReadFile(const std::string& path);
// The names in a folder; none when it is missing.
std::set<std::string> Names(const std::filesystem::path& folder);
// Writes an uncompressed 8-bit BMP of the given indices (rows top to bottom) with a
// palette of 256 entries 0x00RRGGBB.
void WriteBmp(const std::string& path, int width, int height, const std::vector<std::uint8_t>& pixels,
              const std::vector<std::uint32_t>& palette);

// Runs the start-up on the headless backend; the loop is then driven with Turn().
void StartGame();
// One loop turn; true once the game has ended (exit code in *exitCode if given).
bool Turn(int* exitCode = nullptr);
// Runs turns until the predicate holds or maxTurns pass; false on timeout or game end.
template <typename Pred>
bool RunUntil(Pred pred, int maxTurns = 200000) {
    for (int i = 0; i < maxTurns; ++i) {
        if (pred()) return true;
        if (Turn()) return false;
    }
    return pred();
}
// Runs turns until n more frames have been presented.
bool RunFrames(int n, int maxTurns = 200000);

}  // namespace test
