#include "tests/fuzz/fuzz_env.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/main.h"
#include "platform/headless/headless.h"
#include "platform/win32.h"

namespace fs = std::filesystem;

namespace fuzz {

namespace {

fs::path g_scratch;

void RemoveScratch() {
    std::error_code ignored;
    fs::current_path(fs::temp_directory_path(), ignored);
    fs::remove_all(g_scratch, ignored);
}

}  // namespace

void Prepare() {
    if (!g_scratch.empty()) return;
    std::string pattern = (fs::temp_directory_path() / "lantern-blade-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    g_scratch = pattern;
    fs::current_path(g_scratch);
    std::atexit(RemoveScratch);
    // Sound files for the command strings to open; the game's own names are among them.
    for (const char* name : {"a.mid", "b.mid", "c.wav", "d.wav", "BATTLE03.mid", "Sword.wav"}) {
        std::ofstream(name) << "sound";
    }
    fs::create_directories("bmp");
    fs::create_directories("txt/Map");
    fs::create_directories("txt/Ranking");
    if (!StartUp(GetModuleHandleA(nullptr), SW_SHOWDEFAULT)) std::abort();
    // Frames presented are not kept: each input frees what it allocates, so the fuzzer
    // need not look for leaks after every input.
    headless::KeepFrames(0);
}

void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(g_scratch / path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace fuzz
