// The connection pool's lending.
#include "server/db_pool.h"

std::unique_ptr<DbConnection> DbPool::Borrow() {
    {
        std::lock_guard lock(mutex_);
        if (!idle_.empty()) {
            auto db = std::move(idle_.back());
            idle_.pop_back();
            return db;
        }
    }
    return OpenDatabase(url_);
}

void DbPool::Return(std::unique_ptr<DbConnection> db) {
    std::lock_guard lock(mutex_);
    idle_.push_back(std::move(db));
}
