#include "app/run_records.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>

#include "game/run_state.h"
#include "game/scene_state.h"
#include "platform/host/files.h"
#include "records/numbers.h"
#include "scenes/clear_results.h"

namespace {

// Far more than a play time needs; a larger file is not ours.
constexpr std::size_t BEST_FILE_LIMIT = 64;

std::uint32_t g_bestTimeMs = 0;
ClearOutcome g_lastClear;

// Seen before the scene's handler ran.
bool g_clearEntering = false;
std::uint32_t g_clearPlayTime = 0;
std::int32_t g_rankingBefore[RANKING_SIZE] = {};

void KeepBest(std::uint32_t playTimeMs, const std::string& demo) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(ResolvePath(BEST_DEMO_PATH)).parent_path(), error);
    std::string failure;
    // The demo first: a best time never names a demo of another run.
    if (!demo.empty() && !ReplaceFileAtomically(BEST_DEMO_PATH, demo, &failure)) {
        std::fprintf(stderr, "lantern-blade: the demo of your best run was not kept: %s\n", failure.c_str());
    }
    const std::int32_t value = static_cast<std::int32_t>(std::min<std::uint32_t>(playTimeMs, 0x7FFFFFFF));
    if (!ReplaceFileAtomically(BEST_PATH, FormatNumbers(1, &value), &failure)) {
        std::fprintf(stderr, "lantern-blade: your best time was not kept: %s\n", failure.c_str());
    }
}

}  // namespace

void LoadBest() {
    g_bestTimeMs = 0;
    std::string text;
    if (!ReadRegularFile(ResolvePath(BEST_PATH), BEST_FILE_LIMIT, &text, nullptr)) return;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end != text.c_str() && value > 0 && value <= 0x7FFFFFFF) g_bestTimeMs = static_cast<std::uint32_t>(value);
}

std::uint32_t BestTimeMs() {
    return g_bestTimeMs;
}

const ClearOutcome& LastClear() {
    return g_lastClear;
}

void BeforeScene() {
    g_clearEntering = g_scene == SCENE_RESULT_INIT && g_resultsAfterClear;
    if (g_scene == SCENE_RESULT_INIT && !g_resultsAfterClear) g_lastClear.onResults = false;
    if (!g_clearEntering) return;
    g_clearPlayTime = g_clearTime;
    std::copy(g_ranking, g_ranking + RANKING_SIZE, g_rankingBefore);
}

void AfterScene(std::string (*demo)()) {
    // The results hold a second before they enter the score.
    if (!g_clearEntering || g_resultsAfterClear) return;
    g_clearEntering = false;
    ClearOutcome outcome;
    outcome.made = true;
    outcome.onResults = true;
    outcome.playTimeMs = g_clearPlayTime;
    outcome.score = ScoreOf(g_clearPlayTime);
    outcome.place = PlaceOf(g_rankingBefore, outcome.score);
    outcome.newBest = g_bestTimeMs == 0 || g_clearPlayTime < g_bestTimeMs;
    g_lastClear = outcome;
    if (!outcome.newBest) return;
    g_bestTimeMs = g_clearPlayTime;
    KeepBest(g_clearPlayTime, demo != nullptr ? demo() : std::string());
}
