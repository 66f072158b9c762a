#include "records/ranking_save.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/host/files.h"
#include "records/numbers.h"

char g_saveFailure[128] = "";

namespace {

std::string FullPath(const char* path) {
    std::error_code error;
    return std::filesystem::absolute(ResolvePath(path), error).string();
}

void ReportFailure(const char* path, const std::string& why) {
    std::fprintf(stderr, "lantern-blade: the score was not saved in %s: %s\n", FullPath(path).c_str(),
                 why.c_str());
    std::snprintf(g_saveFailure, sizeof g_saveFailure, "Score not saved: %s", why.c_str());
}

// A file the reader would stop in is not overwritten (its numbers would be lost): it is
// renamed, and the ranking starts afresh. False when it cannot be moved.
bool KeepUnreadableFile(const char* path, std::string* failure) {
    if (HoldsOnlyNumbers(path)) return true;
    const std::string aside = SetFileAside(path, "unreadable");
    if (aside.empty()) {
        *failure = "cannot rename the unreadable " + std::filesystem::path(ResolvePath(path)).filename().string();
        return false;
    }
    std::fprintf(stderr, "lantern-blade: %s cannot be read as numbers: kept as %s, a new ranking started\n",
                 FullPath(path).c_str(), aside.c_str());
    return true;
}

}  // namespace

void SaveScore(std::uint32_t score, const char* path) {
    std::string failure;
    const int lock = LockGameFile(path, &failure);
    if (lock < 0) {
        ReportFailure(path, failure);
        return;
    }
    std::int32_t saved[RANKING_CANDIDATE + 1] = {};
    bool ok = CanReplaceFile(path, &failure) && KeepUnreadableFile(path, &failure);
    if (ok) {
        ReadNumbers(RANKING_SIZE, saved, path);
        SortDescending(RANKING_SIZE, saved);
        EnterScore(saved, score);
        SortDescending(RANKING_CANDIDATE + 1, saved);
        ok = ReplaceFileAtomically(path, FormatNumbers(RANKING_SIZE, saved), &failure);
    }
    UnlockGameFile(lock);
    if (!ok) {
        ReportFailure(path, failure);
        return;
    }
    std::memcpy(g_ranking, saved, sizeof saved);
    g_saveFailure[0] = '\0';
}

void TidyRankingFolder(const char* path) {
    std::string ignored;
    const int lock = LockGameFile(path, &ignored);
    if (lock < 0) return;
    RemoveStaleTemporaries(path);
    UnlockGameFile(lock);
}
