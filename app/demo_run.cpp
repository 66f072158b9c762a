#include "app/demo_run.h"

#include <chrono>
#include <cstdio>

#include "app/main.h"
#include "platform/demo/demo.h"
#include "platform/host/files.h"

namespace {

constexpr const char* RANKING_FOLDER = "txt\\Ranking\\";
constexpr const char* STAGE_FILES[] = {"txt\\en.txt", "txt\\Map\\Map.txt"};

DemoTask g_task = DemoTask::None;
std::string g_path;

// FNV-1a over the stage files as they are on disk, so a demo names the stage it was
// played on.
std::uint64_t StageHash() {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char* path : STAGE_FILES) {
        std::FILE* file = OpenGameFile(path, "rb");
        if (file == nullptr) continue;
        for (int c; (c = std::fgetc(file)) != EOF;) hash = (hash ^ static_cast<std::uint8_t>(c)) * 0x100000001b3u;
        std::fclose(file);
    }
    return hash;
}

// The path is the user's: used as given, and a link at it is replaced, never written
// through. False, said on stderr, when the run could not be written.
bool WriteRecording() {
    std::string failure;
    const std::string bytes = DemoRecordingBytes();
    if (ReplaceGivenFile(g_path, bytes, &failure)) {
        std::fprintf(stderr, "lantern-blade: the run is recorded in %s (%zu bytes)\n", g_path.c_str(), bytes.size());
        return true;
    }
    std::fprintf(stderr, "lantern-blade: the run could not be recorded in %s: %s\n", g_path.c_str(), failure.c_str());
    return false;
}

int Play() {
    StartRecording();
    const int exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWDEFAULT);
    // A run asked for and not written is a failure the exit code tells.
    if (g_task == DemoTask::Record && !WriteRecording() && exitCode == 0) return 1;
    return exitCode;
}

int Replay() {
    Demo demo;
    std::string why;
    if (!ReadDemoFile(g_path, &demo, &why)) {
        std::fprintf(stderr, "lantern-blade: %s is not a readable demo: %s\n", g_path.c_str(), why.c_str());
        return 2;
    }
    if (demo.version != LB_VERSION) {
        std::fprintf(stderr, "lantern-blade: the demo was recorded by version %s, this is %s\n",
                     demo.version.c_str(), LB_VERSION);
    }
    const bool sameStage = demo.stageHash == StageHash();

    StartReplay(demo, g_task == DemoTask::Watch, g_task != DemoTask::Watch);
    const auto start = std::chrono::steady_clock::now();
    if (!StartUp(GetModuleHandleA(nullptr), SW_SHOWDEFAULT)) return 1;
    int exitCode = 0;
    bool ended = false;
    while (!ended && !DemoReplayOver() && DemoDifference() < 0 && !DemoStopped()) ended = LoopTurn(&exitCode);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (DemoStopped()) return 0;

    const std::vector<DemoClear>& clears = DemoClears();
    for (std::size_t i = 0; i < clears.size(); ++i) {
        std::printf("clear %zu: play time %u ms, score %u\n", i + 1, clears[i].playTimeMs, clears[i].score);
    }
    long difference = DemoDifference(&why);
    if (difference < 0 && !DemoReplayOver()) {
        difference = static_cast<long>(DemoFrames());
        why = "the game ended before the demo";
    }
    // A stage that differs where nothing shows it still makes another run.
    if (difference < 0 && !sameStage) difference = 0;
    if (!sameStage) why += (why.empty() ? "" : "; ") + std::string("the demo was recorded on another stage");
    if (difference >= 0) {
        std::printf("the demo differs at frame %ld: %s\n", difference, why.c_str());
        return 1;
    }
    if (g_task == DemoTask::Time) {
        std::printf("%llu frames in %.3f s: %.1f frames per second\n", static_cast<unsigned long long>(DemoFrames()),
                    seconds, static_cast<double>(DemoFrames()) / seconds);
    } else if (g_task == DemoTask::Verify) {
        std::printf("the demo plays back as recorded: %llu frames\n", static_cast<unsigned long long>(DemoFrames()));
    }
    return 0;
}

}  // namespace

void StartRecording() {
    DemoKeepFilesUnder(RANKING_FOLDER);
    StartDemoRecording(LB_VERSION, StageHash());
}

void StartReplay(const Demo& demo, bool paced, bool outputsOff) {
    DemoKeepFilesUnder(RANKING_FOLDER);
    SandboxWrites();
    StartDemoReplay(demo, paced, outputsOff);
}

void AskForDemo(DemoTask task, const std::string& path) {
    g_task = task;
    g_path = path;
}

int RunGame() {
    return g_task == DemoTask::None || g_task == DemoTask::Record ? Play() : Replay();
}
