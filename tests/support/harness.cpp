#include "tests/support/harness.h"

#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "app/main.h"
#include "platform/headless/headless.h"
#include "platform/win32.h"

namespace fs = std::filesystem;

namespace test {

ScratchDir::ScratchDir() : previous_(fs::current_path()) {
    std::random_device seed;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = base / ("lantern-blade-test-" + std::to_string(::getpid()) + "-" +
                                     std::to_string(seed()));
        if (fs::create_directory(candidate)) {
            path_ = candidate;
            fs::current_path(path_);
            return;
        }
    }
    throw std::runtime_error("cannot create a scratch directory");
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    fs::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::string& contents) {
    const fs::path target(path);
    if (target.has_parent_path()) fs::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << contents;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void CopyRealData() {
    fs::copy(fs::path(LB_SOURCE_DIR) / "data", fs::current_path(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

namespace {

void Put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

}  // namespace

void WriteBmp(const std::string& path, int width, int height,
              const std::vector<std::uint8_t>& pixels, const std::vector<std::uint32_t>& palette) {
    const int stride = (width + 3) & ~3;
    const std::uint32_t dataOffset = 14 + 40 + 256 * 4;
    std::string out;
    out += "BM";
    Put32(out, dataOffset + static_cast<std::uint32_t>(stride * height));
    Put32(out, 0);
    Put32(out, dataOffset);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(stride * height));
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 256);
    Put32(out, 0);
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t rgb = i < static_cast<int>(palette.size()) ? palette[i] : 0;
        out += static_cast<char>(rgb & 0xFF);          // blue
        out += static_cast<char>((rgb >> 8) & 0xFF);   // green
        out += static_cast<char>((rgb >> 16) & 0xFF);  // red
        out += '\0';
    }
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

int RunToExit(int maxTurns) {
    int code = -1;
    for (int i = 0; i < maxTurns; ++i) {
        if (Turn(&code)) return code;
    }
    return -1;
}

bool RunFrames(int n, int maxTurns) {
    const std::uint64_t target = headless::FrameCount() + static_cast<std::uint64_t>(n);
    return RunUntil([&] { return headless::FrameCount() >= target; }, maxTurns);
}

}  // namespace test
