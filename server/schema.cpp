// The schema's migrations, the same for SQLite and PostgreSQL but for the bytes type.
#include "server/schema.h"

#include <string>

namespace {

// A run is queued, then working (leased by a worker until lease_until_ms), then verified
// or refused. inputs is the replay's digest of its inputs, kept once verified, so a
// second copy of a run is refused even after the first was taken off the board.
const char* const MIGRATIONS[] = {
    "CREATE TABLE names ("
    " name TEXT PRIMARY KEY,"
    " salt TEXT NOT NULL,"
    " secret_hash TEXT NOT NULL,"
    " claimed_ms BIGINT NOT NULL)",
    "CREATE TABLE runs ("
    " id TEXT PRIMARY KEY,"
    " name TEXT NOT NULL,"
    " address TEXT NOT NULL,"
    " demo {BYTES} NOT NULL,"
    " submitted_ms BIGINT NOT NULL,"
    " state TEXT NOT NULL,"
    " lease_until_ms BIGINT NOT NULL DEFAULT 0,"
    " score INTEGER,"
    " time_ms INTEGER,"
    " reason TEXT,"
    " inputs TEXT)",
    "CREATE INDEX runs_queue ON runs (state, submitted_ms)",
    "CREATE INDEX runs_board ON runs (state, time_ms)",
    "CREATE UNIQUE INDEX runs_inputs ON runs (inputs)",
};

std::string WithTypes(std::string sql, const DbConnection& db) {
    const std::string mark = "{BYTES}";
    for (std::size_t at; (at = sql.find(mark)) != std::string::npos;) sql.replace(at, mark.size(), db.BytesType());
    return sql;
}

}  // namespace

void Migrate(DbConnection& db) {
    db.Query("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)", {});
    InTransaction(db, [&] {
        db.LockForMigration();
        const auto rows = db.Query("SELECT version FROM schema_version", {});
        int version = rows.empty() || !rows[0][0] ? 0 : std::stoi(*rows[0][0]);
        if (rows.empty()) db.Query("INSERT INTO schema_version (version) VALUES (0)", {});
        const int count = static_cast<int>(std::size(MIGRATIONS));
        for (; version < count; ++version) db.Query(WithTypes(MIGRATIONS[version], db), {});
        db.Query("UPDATE schema_version SET version = $1", {std::int64_t{count}});
    });
}
