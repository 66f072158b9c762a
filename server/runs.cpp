// The run logic in SQL, written once for both databases.
#include "server/runs.h"

#include "server/secret.h"

namespace {

int Int(const std::optional<std::string>& column) { return column ? std::stoi(*column) : 0; }
std::int64_t Int64(const std::optional<std::string>& column) { return column ? std::stoll(*column) : 0; }

}  // namespace

bool ClaimName(DbConnection& db, const std::string& name, const std::string& secret, std::int64_t nowMs) {
    const std::string salt = RandomHex(16);
    // The first secret's insert wins; every later one finds the row and compares.
    db.Query("INSERT INTO names (name, salt, secret_hash, claimed_ms) VALUES ($1, $2, $3, $4) "
             "ON CONFLICT (name) DO NOTHING",
             {name, salt, HashSecret(salt, secret), nowMs});
    const auto rows = db.Query("SELECT salt, secret_hash FROM names WHERE name = $1", {name});
    return !rows.empty() && SameSecretHash(HashSecret(rows[0][0].value_or(""), secret), rows[0][1].value_or(""));
}

std::string AcceptRun(DbConnection& db, const std::string& name, const std::string& address,
                      const std::string& demo, std::int64_t nowMs) {
    const std::string id = RandomHex(8);
    db.Query("INSERT INTO runs (id, name, address, demo, submitted_ms, state) VALUES ($1, $2, $3, $4, $5, 'queued')",
             {id, name, address, DbValue::Bytes(demo), nowMs});
    return id;
}

std::optional<RunView> FindRun(DbConnection& db, const std::string& id) {
    const auto rows = db.Query("SELECT id, name, state, reason, score, time_ms, submitted_ms FROM runs WHERE id = $1",
                               {id});
    if (rows.empty()) return std::nullopt;
    const DbRow& r = rows[0];
    RunView run;
    run.id = r[0].value_or("");
    run.name = r[1].value_or("");
    // A run a worker holds is still waiting, as far as its sender can tell.
    run.state = r[2].value_or("") == "working" ? "queued" : r[2].value_or("");
    run.reason = r[3].value_or("");
    if (r[4]) run.score = Int(r[4]);
    if (r[5]) run.timeMs = Int(r[5]);
    run.submittedMs = Int64(r[6]);
    return run;
}

std::optional<std::string> RunDemo(DbConnection& db, const std::string& id) {
    const auto rows = db.Query("SELECT demo FROM runs WHERE id = $1", {id});
    if (rows.empty()) return std::nullopt;
    return rows[0][0].value_or("");
}

std::vector<BoardEntry> Ranking(DbConnection& db, int limit) {
    const auto rows = db.Query(
        "SELECT id, name, score, time_ms, submitted_ms FROM ("
        " SELECT id, name, score, time_ms, submitted_ms,"
        "  ROW_NUMBER() OVER (PARTITION BY name ORDER BY time_ms, submitted_ms, id) AS place"
        " FROM runs WHERE state = 'verified') AS best "
        "WHERE place = 1 ORDER BY time_ms, submitted_ms, id LIMIT $1",
        {std::int64_t{limit}});
    std::vector<BoardEntry> board;
    for (const DbRow& r : rows) {
        BoardEntry e;
        e.rank = static_cast<int>(board.size()) + 1;
        e.id = r[0].value_or("");
        e.name = r[1].value_or("");
        e.score = Int(r[2]);
        e.timeMs = Int(r[3]);
        e.submittedMs = Int64(r[4]);
        board.push_back(std::move(e));
    }
    return board;
}

std::optional<QueuedRun> TakeRun(DbConnection& db, std::int64_t nowMs, std::int64_t leaseMs) {
    return InTransaction(db, [&]() -> std::optional<QueuedRun> {
        const auto rows = db.Query(std::string("SELECT id, demo FROM runs "
                                               "WHERE state = 'queued' OR (state = 'working' AND lease_until_ms < $1) "
                                               "ORDER BY submitted_ms, id LIMIT 1") +
                                       db.TakeRowsClause(),
                                   {nowMs});
        if (rows.empty()) return std::nullopt;
        QueuedRun run{rows[0][0].value_or(""), rows[0][1].value_or("")};
        db.Query("UPDATE runs SET state = 'working', lease_until_ms = $2 WHERE id = $1", {run.id, nowMs + leaseMs});
        return run;
    });
}

void ReturnRun(DbConnection& db, const std::string& id) {
    db.Query("UPDATE runs SET state = 'queued', lease_until_ms = 0 WHERE id = $1 AND state = 'working'", {id});
}

void FinishRun(DbConnection& db, const std::string& id, const Verdict& verdict) {
    InTransaction(db, [&] {
        if (verdict.kind == Verdict::Kind::Verified) {
            if (!verdict.inputs.empty() &&
                !db.Query("SELECT id FROM runs WHERE inputs = $1 AND id <> $2", {verdict.inputs, id}).empty()) {
                db.Query("UPDATE runs SET state = 'refused', reason = $2 WHERE id = $1 AND state = 'working'",
                         {id, "a duplicate: the same inputs as a run already sent"});
                return;
            }
            // NULLIF: a verifier that gives no digest leaves the column empty, and empties never clash.
            db.Query("UPDATE runs SET state = 'verified', score = $2, time_ms = $3, reason = NULL, "
                     "inputs = NULLIF($4, '') WHERE id = $1 AND state = 'working'",
                     {id, std::int64_t{verdict.score}, std::int64_t{verdict.timeMs}, verdict.inputs});
        } else {
            db.Query("UPDATE runs SET state = 'refused', reason = $2 WHERE id = $1 AND state = 'working'",
                     {id, verdict.reason});
        }
    });
}

bool RemoveRun(DbConnection& db, const std::string& id) {
    return !db.Query("UPDATE runs SET state = 'refused', reason = 'taken off the board' WHERE id = $1 RETURNING id",
                     {id})
                .empty();
}

int UnfinishedRuns(DbConnection& db) {
    const auto rows = db.Query("SELECT COUNT(*) FROM runs WHERE state IN ('queued', 'working')", {});
    return rows.empty() ? 0 : Int(rows[0][0]);
}
