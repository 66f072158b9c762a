// What the server does with runs, over either database: names claimed by secrets, runs
// accepted into the queue, taken by workers on a lease, finished with the replay's
// verdict, listed on the board and taken off it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/db.h"
#include "server/verdict.h"

struct RunView {
    std::string id, name, state, reason;
    std::optional<int> score, timeMs;
    std::int64_t submittedMs = 0;
};

struct BoardEntry {
    int rank = 0;
    std::string id, name;
    int score = 0, timeMs = 0;
    std::int64_t submittedMs = 0;
};

struct QueuedRun {
    std::string id, demo;
};

// A name belongs to the first secret that used it; false when another secret holds it.
bool ClaimName(DbConnection& db, const std::string& name, const std::string& secret, std::int64_t nowMs);
// Stores a run in the queue and gives its new id; committed before it returns.
std::string AcceptRun(DbConnection& db, const std::string& name, const std::string& address,
                      const std::string& demo, std::int64_t nowMs);
std::optional<RunView> FindRun(DbConnection& db, const std::string& id);
std::optional<std::string> RunDemo(DbConnection& db, const std::string& id);
// Best first by play time, each name's best run once.
std::vector<BoardEntry> Ranking(DbConnection& db, int limit);

// The oldest run waiting, or one whose worker's lease ran out (the worker died), leased
// to the caller until nowMs + leaseMs.
std::optional<QueuedRun> TakeRun(DbConnection& db, std::int64_t nowMs, std::int64_t leaseMs);
// Puts a taken run back at once (no sandbox to verify it in).
void ReturnRun(DbConnection& db, const std::string& id);
// Records the replay's verdict; a run with the same inputs as one already verified is
// refused as a duplicate.
void FinishRun(DbConnection& db, const std::string& id, const Verdict& verdict);
// Takes a run off the board (refused, reason given); false when there is no such run.
bool RemoveRun(DbConnection& db, const std::string& id);
// How many runs wait or are being verified.
int UnfinishedRuns(DbConnection& db);
