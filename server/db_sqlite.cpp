// The SQLite side of the database interface: one file, write-ahead log, full sync, so a
// run answered with 202 is on disk even if the machine loses power right after.
#include <sqlite3.h>

#include "server/db.h"

namespace {

class SqliteConnection final : public DbConnection {
public:
    explicit SqliteConnection(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK) {
            const std::string why = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            throw DbError("cannot open " + path + ": " + why);
        }
        sqlite3_busy_timeout(db_, 30000);
        Query("PRAGMA journal_mode=WAL", {});
        Query("PRAGMA synchronous=FULL", {});
    }
    ~SqliteConnection() override { sqlite3_close(db_); }

    std::vector<DbRow> Query(const std::string& sql, const std::vector<DbValue>& params) override {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr) != SQLITE_OK) {
            throw DbError(sqlite3_errmsg(db_));
        }
        std::vector<DbRow> rows;
        try {
            for (std::size_t i = 0; i < params.size(); ++i) {
                const std::string name = "$" + std::to_string(i + 1);
                const int index = sqlite3_bind_parameter_index(statement, name.c_str());
                if (index == 0) continue;
                const DbValue& v = params[i];
                const int rc = v.kind == DbValue::Kind::Bytes
                                   ? sqlite3_bind_blob64(statement, index, v.value.data(), v.value.size(),
                                                         SQLITE_TRANSIENT)
                                   : sqlite3_bind_text64(statement, index, v.value.data(), v.value.size(),
                                                         SQLITE_TRANSIENT, SQLITE_UTF8);
                if (rc != SQLITE_OK) throw DbError(sqlite3_errmsg(db_));
            }
            int rc;
            while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
                DbRow row;
                const int columns = sqlite3_column_count(statement);
                for (int c = 0; c < columns; ++c) {
                    if (sqlite3_column_type(statement, c) == SQLITE_NULL) {
                        row.emplace_back();
                        continue;
                    }
                    const void* data = sqlite3_column_blob(statement, c);
                    const int size = sqlite3_column_bytes(statement, c);
                    row.emplace_back(std::string(static_cast<const char*>(data), static_cast<std::size_t>(size)));
                }
                rows.push_back(std::move(row));
            }
            if (rc != SQLITE_DONE) throw DbError(sqlite3_errmsg(db_));
        } catch (...) {
            sqlite3_finalize(statement);
            throw;
        }
        sqlite3_finalize(statement);
        return rows;
    }

    void Begin() override { Query("BEGIN IMMEDIATE", {}); }
    void Commit() override { Query("COMMIT", {}); }
    void Rollback() override { Query("ROLLBACK", {}); }
    const char* BytesType() const override { return "BLOB"; }
    const char* TakeRowsClause() const override { return ""; }
    void LockForMigration() override {}

private:
    sqlite3* db_ = nullptr;
};

}  // namespace

std::unique_ptr<DbConnection> OpenSqlite(const std::string& path) { return std::make_unique<SqliteConnection>(path); }
