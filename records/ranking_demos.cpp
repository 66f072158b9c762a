#include "records/ranking_demos.h"

#include <cstdio>
#include <filesystem>

#include "platform/host/files.h"
#include "records/numbers.h"

namespace fs = std::filesystem;

RunKeeping g_runKeeping{};

namespace {

constexpr char DEMO_EXTENSION[] = ".lbdemo";
// The longest number a name holds: a score or an order among five.
constexpr std::size_t DIGITS_LIMIT = 10;

fs::path DemoFolder(const char* rankingPath) {
    return fs::path(ResolvePath(rankingPath)).parent_path() / "demos";
}

// How many entries above `place` have its score.
int OrderAmongEquals(int place, const std::int32_t* ranking) {
    int order = 0;
    for (int above = 0; above < place; ++above) order += ranking[above] == ranking[place] ? 1 : 0;
    return order;
}

std::string Name(std::int32_t score, int order) {
    return std::to_string(static_cast<std::uint32_t>(score)) + "-" + std::to_string(order) + DEMO_EXTENSION;
}

std::string LegacyName(std::int32_t score) {
    return std::to_string(static_cast<std::uint32_t>(score)) + DEMO_EXTENSION;
}

bool Number(const std::string& text) {
    return !text.empty() && text.size() <= DIGITS_LIMIT && text.find_first_not_of("0123456789") == std::string::npos;
}

// Whether the file's name is one a ranking entry's demo may have; any other file in the
// folder (the best run's, the player's own) is not the ranking's.
bool EntryDemoName(const fs::path& file) {
    if (file.extension() != DEMO_EXTENSION) return false;
    const std::string stem = file.stem().string();
    const std::size_t dash = stem.find('-');
    return dash == std::string::npos ? Number(stem) : Number(stem.substr(0, dash)) && Number(stem.substr(dash + 1));
}

bool Ranked(const fs::path& file, const std::int32_t* ranking, const char* rankingPath) {
    for (int place = 0; place < RANKING_SIZE; ++place) {
        if (fs::path(PlaceDemoPath(place, ranking, rankingPath)).filename() == file.filename()) return true;
    }
    return false;
}

}  // namespace

std::string PlaceDemoPath(int place, const std::int32_t* ranking, const char* rankingPath) {
    const fs::path folder = DemoFolder(rankingPath);
    const int order = OrderAmongEquals(place, ranking);
    const fs::path path = folder / Name(ranking[place], order);
    std::error_code error;
    if (order == 0 && !fs::exists(fs::symlink_status(path, error))) {
        const fs::path legacy = folder / LegacyName(ranking[place]);
        if (fs::exists(fs::symlink_status(legacy, error))) return legacy.string();
    }
    return path.string();
}

std::string RunSoFar() {
    return g_runKeeping.runBytes != nullptr ? g_runKeeping.runBytes() : std::string();
}

void KeepRankingDemos(int place, const char* rankingPath, const std::int32_t* ranking, const std::string& demo) {
    if (g_runKeeping.runBytes == nullptr) return;
    const fs::path folder = DemoFolder(rankingPath);
    std::error_code error;
    if (place >= 1 && place <= RANKING_SIZE) {
        std::string failure;
        fs::create_directories(folder, error);
        // Never the legacy name: that may be the demo of an entry of the same score above.
        const std::string path = (folder / Name(ranking[place - 1], OrderAmongEquals(place - 1, ranking))).string();
        if (demo.empty()) failure = "the run is past what a demo may hold, or this system cannot pack it";
        if (demo.empty() || !ReplaceFileAtomically(path.c_str(), demo, &failure)) {
            std::fprintf(stderr, "lantern-blade: the demo of this run was not kept in %s: %s\n", path.c_str(),
                         failure.c_str());
        }
    }
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (EntryDemoName(it->path()) && !Ranked(it->path(), ranking, rankingPath)) RemoveFile(it->path().string());
    }
}

bool PlaceKeepsItsRun(int place, const char* rankingPath) {
    if (place < 0 || place >= RANKING_SIZE || g_runKeeping.scored == nullptr) return false;
    return g_runKeeping.scored(PlaceDemoPath(place, g_ranking, rankingPath), static_cast<std::uint32_t>(g_ranking[place]));
}

bool WatchPlace(int place, const char* rankingPath) {
    if (place < 0 || place >= RANKING_SIZE || g_runKeeping.watch == nullptr) return false;
    return g_runKeeping.watch(PlaceDemoPath(place, g_ranking, rankingPath), static_cast<std::uint32_t>(g_ranking[place]));
}

void SendBestRun(const char* rankingPath) {
    if (g_runKeeping.send == nullptr) return;
    g_runKeeping.send(PlaceDemoPath(0, g_ranking, rankingPath), static_cast<std::uint32_t>(g_ranking[0]));
}
