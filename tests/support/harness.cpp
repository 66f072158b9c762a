#include "tests/support/harness.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "app/main.h"
#include "platform/headless/headless.h"
#include "platform/mmsystem.h"
#include "platform/win32.h"

namespace fs = std::filesystem;

namespace test {

void UseHeadlessBackend() {
    backend::Install(headless::Backend());
    WatchMciCommands(headless::LogMciCommand);
}

ScratchDir::ScratchDir() : previous_(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "lantern-blade-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch directory");
    path_ = pattern;
    fs::current_path(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    fs::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::string& contents) {
    const fs::path target(path);
    if (target.has_parent_path()) fs::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary | std::ios::trunc) << contents;
}

std::string ReadFile(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(folder, missing)) names.insert(entry.path().filename().string());
    return names;
}

void CopyRealData() {
    fs::copy(fs::path(LB_SOURCE_DIR) / "data", fs::current_path(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

void WriteBmp(const std::string& path, int width, int height,
              const std::vector<std::uint8_t>& pixels, const std::vector<std::uint32_t>& palette) {
    const int stride = (width + 3) & ~3;
    const std::uint32_t size = stride * height;
    const std::uint32_t dataOffset = 14 + 40 + 256 * 4;
    std::string out = "BM";
    const auto put = [&out](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    // File header, then the 40-byte info header: size, planes, bits, no compression.
    for (std::uint32_t field : {dataOffset + size, 0u, dataOffset, 40u}) put(field, 4);
    put(width, 4);
    put(height, 4);
    put(1, 2);
    put(8, 2);
    for (std::uint32_t field : {0u, size, 2835u, 2835u, 256u, 0u}) put(field, 4);
    for (int i = 0; i < 256; ++i) put(i < int(palette.size()) ? palette[i] : 0, 4);  // B, G, R, 0
    for (int row = height - 1; row >= 0; --row) {  // bottom-up
        for (int column = 0; column < stride; ++column) {
            out += column < width ? static_cast<char>(pixels[row * width + column]) : '\0';
        }
    }
    WriteFile(path, out);
}

void StartGame() {
    if (!StartUp(GetModuleHandleA(nullptr), SW_SHOWDEFAULT)) {
        throw std::runtime_error("the game did not start");
    }
}

bool Turn(int* exitCode) {
    int code = 0;
    const bool ended = LoopTurn(&code);
    if (ended && exitCode != nullptr) *exitCode = code;
    return ended;
}

bool RunFrames(int n, int maxTurns) {
    const std::uint64_t target = headless::FrameCount() + static_cast<std::uint64_t>(n);
    return RunUntil([&] { return headless::FrameCount() >= target; }, maxTurns);
}

}  // namespace test
