// The PostgreSQL side of the database interface, over libpqxx. Parameters go as text
// (bytes as bytea's hex form), so one dynamic list carries them all; bytea columns come
// back decoded.
#include <pqxx/pqxx>

#include "server/db.h"

namespace {

constexpr unsigned BYTEA_OID = 17;

std::string HexBytea(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex = "\\x";
    hex.reserve(2 + bytes.size() * 2);
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

class PostgresConnection final : public DbConnection {
public:
    explicit PostgresConnection(const std::string& url) try : connection_(url) {
    } catch (const std::exception& e) {
        throw DbError(std::string("cannot connect to PostgreSQL: ") + e.what());
    }

    std::vector<DbRow> Query(const std::string& sql, const std::vector<DbValue>& params) override {
        std::vector<std::string> texts;
        texts.reserve(params.size());
        for (const DbValue& v : params) texts.push_back(v.kind == DbValue::Kind::Bytes ? HexBytea(v.value) : v.value);
        try {
            pqxx::result result;
            if (work_) {
                result = work_->exec_params(sql, pqxx::prepare::make_dynamic_params(texts));
            } else {
                pqxx::nontransaction once(connection_);
                result = once.exec_params(sql, pqxx::prepare::make_dynamic_params(texts));
            }
            std::vector<DbRow> rows;
            rows.reserve(result.size());
            for (const pqxx::row& r : result) {
                DbRow row;
                for (pqxx::row::size_type c = 0; c < r.size(); ++c) {
                    if (r[c].is_null()) {
                        row.emplace_back();
                    } else if (result.column_type(c) == BYTEA_OID) {
                        const pqxx::binarystring bytes(r[c]);
                        row.emplace_back(bytes.str());
                    } else {
                        row.emplace_back(std::string(r[c].c_str(), r[c].size()));
                    }
                }
                rows.push_back(std::move(row));
            }
            return rows;
        } catch (const pqxx::failure& e) {
            throw DbError(e.what());
        }
    }

    void Begin() override {
        work_.reset();
        try {
            work_ = std::make_unique<pqxx::work>(connection_);
        } catch (const pqxx::failure& e) {
            throw DbError(e.what());
        }
    }
    void Commit() override {
        auto work = std::move(work_);
        try {
            if (work) work->commit();
        } catch (const pqxx::failure& e) {
            throw DbError(e.what());
        }
    }
    void Rollback() override {
        auto work = std::move(work_);
        if (work) work->abort();
    }
    const char* BytesType() const override { return "BYTEA"; }
    const char* TakeRowsClause() const override { return " FOR UPDATE SKIP LOCKED"; }
    void LockForMigration() override { Query("SELECT pg_advisory_xact_lock(4206931)", {}); }

private:
    pqxx::connection connection_;
    std::unique_ptr<pqxx::work> work_;
};

}  // namespace

std::unique_ptr<DbConnection> OpenPostgres(const std::string& url) { return std::make_unique<PostgresConnection>(url); }
