#include "records/ranking_demos.h"

#include <cstdio>
#include <filesystem>

#include "platform/host/files.h"
#include "records/numbers.h"

namespace fs = std::filesystem;

RunKeeping g_runKeeping{};

namespace {

constexpr char DEMO_EXTENSION[] = ".lbdemo";

fs::path DemoFolder(const char* rankingPath) {
    return fs::path(ResolvePath(rankingPath)).parent_path() / "demos";
}

bool Ranked(std::uint32_t score, const std::int32_t* ranking) {
    for (int i = 0; i < RANKING_SIZE; ++i) {
        if (static_cast<std::uint32_t>(ranking[i]) == score) return true;
    }
    return false;
}

// The score a demo file is named after; false for any other file.
bool ScoreOfDemo(const fs::path& file, std::uint32_t* score) {
    const std::string stem = file.stem().string();
    if (file.extension() != DEMO_EXTENSION || stem.empty() || stem.size() > 10 ||
        stem.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned long long value = std::stoull(stem);
    *score = static_cast<std::uint32_t>(value);
    return value <= 0xFFFFFFFFu;
}

}  // namespace

std::string RankingDemoPath(std::int32_t score, const char* rankingPath) {
    const std::string name = std::to_string(static_cast<std::uint32_t>(score)) + DEMO_EXTENSION;
    return (DemoFolder(rankingPath) / name).string();
}

std::string RunSoFar() {
    return g_runKeeping.runBytes != nullptr ? g_runKeeping.runBytes() : std::string();
}

void KeepRankingDemos(std::uint32_t score, const char* rankingPath, const std::int32_t* ranking,
                      const std::string& demo) {
    if (g_runKeeping.runBytes == nullptr) return;
    const fs::path folder = DemoFolder(rankingPath);
    std::error_code error;
    if (Ranked(score, ranking)) {
        std::string failure;
        fs::create_directories(folder, error);
        const std::string path = RankingDemoPath(static_cast<std::int32_t>(score), rankingPath);
        if (demo.empty()) failure = "the run is past what a demo may hold, or this system cannot pack it";
        if (demo.empty() || !ReplaceFileAtomically(path.c_str(), demo, &failure)) {
            std::fprintf(stderr, "lantern-blade: the demo of this run was not kept in %s: %s\n", path.c_str(),
                         failure.c_str());
        }
    }
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::uint32_t named = 0;
        if (ScoreOfDemo(it->path(), &named) && !Ranked(named, ranking)) RemoveFile(it->path().string());
    }
}

bool PlaceKeepsItsRun(int place, const char* rankingPath) {
    if (place < 0 || place >= RANKING_SIZE || g_runKeeping.scored == nullptr) return false;
    const std::int32_t score = g_ranking[place];
    return g_runKeeping.scored(RankingDemoPath(score, rankingPath), static_cast<std::uint32_t>(score));
}

void WatchBestRun(const char* rankingPath) {
    if (g_runKeeping.watch == nullptr) return;
    g_runKeeping.watch(RankingDemoPath(g_ranking[0], rankingPath), static_cast<std::uint32_t>(g_ranking[0]));
}

void SendBestRun(const char* rankingPath) {
    if (g_runKeeping.send == nullptr) return;
    g_runKeeping.send(RankingDemoPath(g_ranking[0], rankingPath), static_cast<std::uint32_t>(g_ranking[0]));
}
