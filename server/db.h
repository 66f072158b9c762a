// The one small interface both databases sit behind: statements with $1, $2, ...
// parameters (SQLite reads them as named parameters, PostgreSQL as its own), rows of
// text or bytes, and explicit transactions. The run logic above it is written once.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct DbError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A parameter: text, a whole number (sent as its decimal text) or bytes.
struct DbValue {
    enum class Kind { Text, Bytes } kind = Kind::Text;
    std::string value;
    DbValue(std::string text) : value(std::move(text)) {}
    DbValue(const char* text) : value(text) {}
    DbValue(std::int64_t number) : value(std::to_string(number)) {}
    static DbValue Bytes(std::string bytes) {
        DbValue v(std::move(bytes));
        v.kind = Kind::Bytes;
        return v;
    }
};

// Columns as text (numbers in decimal) or raw bytes; nullopt for NULL.
using DbRow = std::vector<std::optional<std::string>>;

class DbConnection {
public:
    virtual ~DbConnection() = default;
    virtual std::vector<DbRow> Query(const std::string& sql, const std::vector<DbValue>& params = {}) = 0;
    // SQLite takes the write lock at once (BEGIN IMMEDIATE), so two writers never
    // deadlock upgrading a read.
    virtual void Begin() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
    // The column type for bytes, and what ends a select that takes queue rows.
    virtual const char* BytesType() const = 0;
    virtual const char* TakeRowsClause() const = 0;
    // Serialises schema changes between servers sharing one database, inside a transaction.
    virtual void LockForMigration() = 0;
};

// "sqlite:PATH" or a "postgresql://" / "postgres://" URL; throws DbError.
std::unique_ptr<DbConnection> OpenDatabase(const std::string& url);
std::unique_ptr<DbConnection> OpenSqlite(const std::string& path);
std::unique_ptr<DbConnection> OpenPostgres(const std::string& url);

// Runs body between Begin and Commit; rolls back and rethrows on any exception.
template <typename Body>
auto InTransaction(DbConnection& db, Body body) {
    db.Begin();
    try {
        if constexpr (std::is_void_v<decltype(body())>) {
            body();
            db.Commit();
        } else {
            auto result = body();
            db.Commit();
            return result;
        }
    } catch (...) {
        try {
            db.Rollback();
        } catch (...) {
        }
        throw;
    }
}
