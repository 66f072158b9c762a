#include "app/demo_run.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/main.h"
#include "app/run_start.h"
#include "app/watch_run.h"
#include "platform/demo/demo.h"
#include "platform/demo/demo_backend.h"
#include "platform/host/files.h"
#include "platform/policy/settings.h"
#include "records/numbers.h"
#include "records/ranking_demos.h"

namespace {

constexpr const char* RANKING_FOLDER = "txt\\Ranking\\";
constexpr const char* RANKING_PATH = "txt\\Ranking\\Ranking.txt";
constexpr const char* STAGE_FILES[] = {"txt\\en.txt", "txt\\Map\\Map.txt"};

DemoTask g_task = DemoTask::None;
std::string g_path;
int g_exportPlace = 0;
// The demo played back, and when its replay started (for --timedemo).
Demo g_replayed;
std::chrono::steady_clock::time_point g_replayStart;

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
    const std::string bytes = DemoRecordingBytes(false);
    if (bytes.empty()) {
        failure = "it is past what a demo may hold";
    } else if (ReplaceGivenFile(g_path, bytes, &failure)) {
        std::fprintf(stderr, "lantern-blade: the run is recorded in %s (%zu bytes)\n", g_path.c_str(), bytes.size());
        return true;
    }
    std::fprintf(stderr, "lantern-blade: the run could not be recorded in %s: %s\n", g_path.c_str(), failure.c_str());
    return false;
}

std::string CurrentRun() { return DemoRecordingBytes(true); }

// Reads the demo file if its last clear scored `score`.
bool ReadScored(const std::string& path, std::uint32_t score, Demo* demo) {
    std::string why;
    return ReadDemoFile(path, demo, &why) && !demo->scan.clears.empty() && demo->scan.clears.back().score == score;
}

bool Scored(const std::string& path, std::uint32_t score) {
    Demo demo;
    return ReadScored(path, score, &demo);
}

// The display lost ends the game at once; the run so far is still written, and told.
void WriteRecordingAtLoss() {
    WriteRecording();
    std::fflush(stderr);
}

int Play() {
    StartRecording(g_task == DemoTask::Record);
    if (g_task == DemoTask::Record) std::at_quick_exit(WriteRecordingAtLoss);
    const int exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWDEFAULT);
    // A run asked for and not written is a failure the exit code tells.
    if (g_task == DemoTask::Record && !WriteRecording() && exitCode == 0) return 1;
    return exitCode;
}

// Writes the run a place of the ranking keeps where the player asked, as --record writes.
int Export() {
    ReadNumbers(RANKING_SIZE, g_ranking, RANKING_PATH);
    SortDescending(RANKING_SIZE, g_ranking);
    const std::uint32_t score = static_cast<std::uint32_t>(g_ranking[g_exportPlace - 1]);
    Demo demo;
    if (!ReadPlaceDemo(g_exportPlace - 1, &demo)) {
        std::fprintf(stderr, "lantern-blade: place %d of the ranking (score %u) keeps no run that scored it\n",
                     g_exportPlace, score);
        return 2;
    }
    std::string failure;
    if (!ReplaceGivenFile(g_path, EncodeDemo(demo), &failure)) {
        std::fprintf(stderr, "lantern-blade: the run could not be written to %s: %s\n", g_path.c_str(), failure.c_str());
        return 1;
    }
    std::printf("place %d (score %u, %s): its run is in %s\n", g_exportPlace, score, demo.header.player.c_str(),
                g_path.c_str());
    return 0;
}

int Refuse(const std::string& why) {
    std::fprintf(stderr, "lantern-blade: %s is not a demo this game can play: %s\n", g_path.c_str(), why.c_str());
    return 2;
}

std::string UtcDate(std::uint64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    char text[32] = "";
    if (gmtime_r(&time, &parts) != nullptr) std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

// What a verification prints, one line each, for whoever reads it (the world ranking's
// server among them).
void PrintVerified(const Demo& demo) {
    if (demo.header.format >= 3) {
        std::printf("player: %s\n", demo.header.player.c_str());
        std::printf("date: %s\n", UtcDate(demo.header.date).c_str());
    }
    std::printf("inputs: %016" PRIx64 "\n", demo.scan.inputs);
}

int Replay() {
    const int refused = BeginReplay();
    if (refused >= 0) return refused;
    int exitCode = 0;
    while (!ReplayTurn(&exitCode)) {
    }
    return exitCode;
}

// The replay's outcome once its turns are over, told as RunGame tells it.
int EndReplay() {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - g_replayStart).count();
    if (DemoStopped()) return 0;

    const std::vector<DemoClear>& clears = DemoClears();
    for (std::size_t i = 0; i < clears.size(); ++i) {
        std::printf("clear %zu: play time %u ms, score %u\n", i + 1, clears[i].playTimeMs, clears[i].score);
    }
    std::string why;
    long difference = DemoDifference(&why);
    if (difference < 0 && !DemoReplayOver()) {
        difference = static_cast<long>(DemoFrames());
        why = "the game ended before the demo";
    }
    if (difference >= 0) {
        std::fprintf(stderr, "lantern-blade: the demo differs at frame %ld: %s\n", difference, why.c_str());
        return 1;
    }
    if (g_task == DemoTask::Time) {
        std::printf("%llu frames in %.3f s: %.1f frames per second\n", static_cast<unsigned long long>(DemoFrames()),
                    seconds, static_cast<double>(DemoFrames()) / seconds);
    } else if (g_task == DemoTask::Verify) {
        PrintVerified(g_replayed);
    }
    return 0;
}

}  // namespace

bool OnThisStage(const Demo& demo) { return demo.header.stageHash == StageHash(); }

bool ReadPlaceDemo(int place, Demo* demo) {
    return ReadScored(PlaceDemoPath(place, g_ranking, RANKING_PATH), static_cast<std::uint32_t>(g_ranking[place]),
                      demo);
}

void StartRecording(bool wholeSession) {
    backend::Wrap(DemoWrapping(backend::Device()));
    DemoKeepFilesUnder(RANKING_FOLDER);
    DemoHeader header;
    header.version = LB_VERSION;
    header.stageHash = StageHash();
    if (!RunSettings().name.empty()) header.player = RunSettings().name;
    StartDemoRecording(header, wholeSession);
    g_runKeeping.runBytes = CurrentRun;
}

bool StartReplay(const Demo& demo, bool paced, bool outputsOff) {
    // Verified or timed, a demo is neither seen nor heard.
    if (outputsOff) backend::Install(backend::NullOver(backend::Device()));
    backend::Wrap(DemoWrapping(backend::Device()));
    DemoKeepFilesUnder(RANKING_FOLDER);
    SandboxWrites(true);
    return StartDemoReplay(demo, paced, outputsOff);
}

void KeepRuns() {
    g_runKeeping.cleared = DemoNoteClear;
    g_runKeeping.watch = WatchRun;
    g_runKeeping.send = SendDemoToWorld;
    g_runKeeping.scored = Scored;
}

bool BeginDemoRun() {
    const std::vector<std::uint8_t> state = DemoGameStart();
    if (state.empty()) return true;
    if (!RestoreRunStart(state)) return false;
    DemoBeginRun();
    ResumeInsideTurn();
    return true;
}

int BeginReplay() {
    std::string why;
    if (!ReadDemoFile(g_path, &g_replayed, &why)) {
        std::fprintf(stderr, "lantern-blade: %s is not a readable demo: %s\n", g_path.c_str(), why.c_str());
        return 2;
    }
    if (!OnThisStage(g_replayed)) return Refuse("it was recorded on another stage");
    if (g_replayed.header.version != LB_VERSION) {
        std::fprintf(stderr, "lantern-blade: the demo was recorded by version %s, this is %s\n",
                     g_replayed.header.version.c_str(), LB_VERSION);
    }
    if (!StartReplay(g_replayed, g_task == DemoTask::Watch, g_task != DemoTask::Watch)) {
        return Refuse("the state its run starts from is damaged");
    }
    if (g_task == DemoTask::Watch) NoteWatchedRun(g_replayed.header);
    g_replayStart = std::chrono::steady_clock::now();
    if (!StartUp(GetModuleHandleA(nullptr), SW_SHOWDEFAULT)) {
        return g_hwnd == nullptr ? 1 : Refuse("the state its run starts from is out of the game's ranges");
    }
    return -1;
}

bool ReplayTurn(int* exitCode) {
    int loopExit = 0;
    if (ReplayGoesOn() && !LoopTurn(&loopExit)) return false;
    *exitCode = EndReplay();
    return true;
}

bool Replaying() {
    return g_task == DemoTask::Watch || g_task == DemoTask::Verify || g_task == DemoTask::Time || WatchingRun();
}

void AskForDemo(DemoTask task, const std::string& path) {
    g_task = task;
    g_path = path;
}

void AskForExport(int place, const std::string& path) {
    AskForDemo(DemoTask::Export, path);
    g_exportPlace = place;
}

int RunGame() {
    if (g_task == DemoTask::Export) return Export();
    return g_task == DemoTask::None || g_task == DemoTask::Record ? Play() : Replay();
}
