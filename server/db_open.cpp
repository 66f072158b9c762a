// Picks the database from its URL.
#include "server/db.h"

std::unique_ptr<DbConnection> OpenDatabase(const std::string& url) {
    if (url.rfind("sqlite:", 0) == 0) return OpenSqlite(url.substr(7));
    if (url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0) return OpenPostgres(url);
    throw DbError("the database must be sqlite:PATH or a postgresql:// URL, not " + url);
}
