#include "tests/fuzz/fuzz_env.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/main.h"
#include "game/game_frame.h"
#include "game/movement.h"
#include "game/random.h"
#include "game/run_state.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "gfx/blit.h"
#include "gfx/frame_pacing.h"
#include "gfx/surfaces.h"
#include "platform/headless/headless.h"
#include "records/numbers.h"

namespace fs = std::filesystem;

namespace fuzz {

namespace {

fs::path g_scratch;

void RemoveScratch() {
    std::error_code ignored;
    fs::current_path(fs::temp_directory_path(), ignored);
    fs::remove_all(g_scratch, ignored);
}

void StartOnce(bool shippedData) {
    backend::Install(headless::Backend());
    std::string pattern = (fs::temp_directory_path() / "lantern-blade-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    g_scratch = pattern;
    fs::current_path(g_scratch);
    std::atexit(RemoveScratch);
    // Sound files for the command strings to open; the game's own names are among them.
    for (const char* name : {"a.mid", "b.mid", "c.wav", "d.wav", "BATTLE03.mid", "Sword.wav"}) {
        std::ofstream(name) << "sound";
    }
    // The shipped stage, pictures and ranking, so that real demos play past their start.
    if (shippedData) fs::copy(LB_SOURCE_DIR "/data", g_scratch, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::create_directories("bmp");
    fs::create_directories("txt/Map");
    fs::create_directories("txt/Ranking");
    if (!StartUp(GetModuleHandleA(nullptr), SW_SHOWDEFAULT)) std::abort();
}

// Every input starts from the same state, so an input that fails also fails when it is
// replayed alone: what the targets reach of the game's globals as at start, blank
// surfaces, the backend's clock, keys and logs reset.
void ResetGame() {
    headless::Reset();
    // Frames presented are not kept: each input frees what it allocates, so the fuzzer
    // need not look for leaks after every input.
    headless::KeepFrames(0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    for (IDirectDrawSurface* surface : {g_back, g_offscreen1, g_offscreen2, g_offscreen4}) {
        ColorFill(surface, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0);
    }
    ColorFill(g_offscreen3, RECT{0, 0, 960, 2000}, 0);
    g_randomState = 1;
    g_scene = SCENE_STAGE_INIT;
    g_keyLatch = 0;
    g_player = Actor{};
    std::memset(g_enemies, 0, sizeof g_enemies);
    std::memset(g_map, 0, sizeof g_map);
    std::memset(g_ranking, 0, sizeof g_ranking);
    g_camera = POINT{};
    g_moveRequest = 0;
    ResetRun(0);
    g_clearTime = 0;
    g_frameLast = g_fpsLast = 0;
    g_fpsFrames = 0;
    g_fpsText[0] = '\0';
}

}  // namespace

void Prepare(bool shippedData) {
    if (g_scratch.empty()) StartOnce(shippedData);
    ResetGame();
}

void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(g_scratch / path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace fuzz

// The game works in a scratch folder of its own, so the corpus folders and inputs given
// are made absolute before libFuzzer reads them (paths in flags must be absolute); crashes
// land in the folder the fuzzer was started in unless -artifact_prefix says otherwise.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static std::vector<std::string> args{(*argv)[0], "-artifact_prefix=" + fs::current_path().string() + "/"};
    static std::vector<char*> pointers;
    for (int i = 1; i < *argc; ++i) {
        const std::string arg = (*argv)[i];
        args.push_back(arg.starts_with("-") ? arg : fs::absolute(arg).string());
    }
    for (std::string& arg : args) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    *argc = static_cast<int>(args.size());
    *argv = pointers.data();
    return 0;
}
