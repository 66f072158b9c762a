#include "records/ranking_save.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/host/files.h"
#include "records/numbers.h"
#include "records/ranking_demos.h"

char g_saveFailure[128] = "";

namespace {

// Set-aside unreadable rankings kept; older ones go, so damage again and again fills no disk.
constexpr int UNREADABLE_KEPT = 5;

// What a save came to, handed from the thread that saved to the game's thread.
struct Outcome {
    bool saved = false;
    std::int32_t ranking[RANKING_CANDIDATE + 1] = {};
    int place = 0;  // where the score went in (1-5), 0: nowhere
    std::string note;  // for the ranking screen
};

// A save that waits for another process's lock does so on a thread of its own.
std::thread g_waitingSave;
std::mutex g_outcomeLock;
std::optional<Outcome> g_waitedOutcome;

std::string FullPath(const std::string& path) {
    std::error_code error;
    return std::filesystem::absolute(ResolvePath(path.c_str()), error).string();
}

std::string FileName(const std::string& path) {
    return std::filesystem::path(ResolvePath(path.c_str())).filename().string();
}

Outcome Failed(const std::string& path, const std::string& why) {
    std::fprintf(stderr, "lantern-blade: the score was not saved in %s: %s\n", FullPath(path).c_str(),
                 why.c_str());
    Outcome outcome;
    outcome.note = "Score not saved: " + why;
    return outcome;
}

// A file the reader would stop in before five numbers is not overwritten (its numbers
// would be lost): it is renamed, and the ranking starts afresh. False when it cannot be
// moved; otherwise *note tells the player where it went, when it did.
bool KeepUnreadableFile(const std::string& path, std::string* note, std::string* failure) {
    if (ReadsAsNumbers(RANKING_SIZE, path.c_str())) return true;
    const std::string aside = SetFileAside(path.c_str(), "unreadable", UNREADABLE_KEPT);
    if (aside.empty()) {
        *failure = "cannot rename the unreadable " + FileName(path);
        return false;
    }
    std::fprintf(stderr, "lantern-blade: %s cannot be read as numbers: kept as %s, a new ranking started\n",
                 FullPath(path).c_str(), aside.c_str());
    *note = FileName(path) + " was unreadable: kept as " + std::filesystem::path(aside).filename().string();
    return true;
}

// The save proper, under the lock.
Outcome SaveHoldingLock(std::uint32_t score, const std::string& path) {
    Outcome outcome;
    std::string failure;
    if (!CanReplaceFile(path.c_str(), &failure) || !KeepUnreadableFile(path, &outcome.note, &failure)) {
        return Failed(path, failure);
    }
    std::int32_t* saved = outcome.ranking;
    ReadNumbers(RANKING_SIZE, saved, path.c_str());
    SortDescending(RANKING_SIZE, saved);
    outcome.place = PlaceOf(saved, score);
    EnterScore(saved, score);
    SortDescending(RANKING_CANDIDATE + 1, saved);
    if (!ReplaceFileAtomically(path.c_str(), FormatNumbers(RANKING_SIZE, saved), &failure)) {
        return Failed(path, failure);
    }
    outcome.saved = true;
    return outcome;
}

void Apply(const Outcome& outcome) {
    if (outcome.saved) std::memcpy(g_ranking, outcome.ranking, sizeof outcome.ranking);
    std::snprintf(g_saveFailure, sizeof g_saveFailure, "%s", outcome.note.c_str());
}

// The demo was taken on the game's thread when the score was entered: the run that made it.
void WaitForLockAndSave(std::uint32_t score, const std::string& path, const std::string& demo) {
    std::string failure;
    const int lock = LockGameFile(path.c_str(), LockWait::FewSeconds, &failure);
    Outcome outcome = lock < 0 ? Failed(path, failure) : SaveHoldingLock(score, path);
    if (outcome.saved) KeepRankingDemos(outcome.place, path.c_str(), outcome.ranking, demo);
    UnlockGameFile(lock);
    if (outcome.saved) {
        std::fprintf(stderr, "lantern-blade: the score was saved in %s\n", FullPath(path).c_str());
    }
    const std::lock_guard hold(g_outcomeLock);
    g_waitedOutcome = std::move(outcome);
}

}  // namespace

void SaveScore(std::uint32_t score, const char* path) {
    FinishWaitingSave();
    std::string failure;
    const int lock = LockGameFile(path, LockWait::No, &failure);
    if (lock == LOCK_BUSY) {
        std::fprintf(stderr, "lantern-blade: %s: the score is saved once it is let go\n", failure.c_str());
        std::snprintf(g_saveFailure, sizeof g_saveFailure, "Score waiting: %s", failure.c_str());
        static const bool waitAtExit = std::atexit(FinishWaitingSave) == 0;
        static_cast<void>(waitAtExit);
        g_waitingSave = std::thread(WaitForLockAndSave, score, std::string(path), RunSoFar());
        return;
    }
    const Outcome outcome = lock < 0 ? Failed(path, failure) : SaveHoldingLock(score, path);
    // Kept under the lock, so that the demos always match the ranking on disk.
    if (outcome.saved) KeepRankingDemos(outcome.place, path, outcome.ranking, RunSoFar());
    Apply(outcome);
    UnlockGameFile(lock);
}

void CollectWaitingSave() {
    std::optional<Outcome> outcome;
    {
        const std::lock_guard hold(g_outcomeLock);
        outcome.swap(g_waitedOutcome);
    }
    if (!outcome) return;
    if (g_waitingSave.joinable()) g_waitingSave.join();
    Apply(*outcome);
}

void FinishWaitingSave() {
    if (g_waitingSave.joinable()) g_waitingSave.join();
    CollectWaitingSave();
}

void TidyRankingFolder(const char* path) {
    std::string ignored;
    const int lock = LockGameFile(path, LockWait::No, &ignored);
    if (lock < 0) return;
    RemoveStaleTemporaries(path);
    UnlockGameFile(lock);
}
