// Connections shared by the HTTP threads: one is lent to a request and comes back after
// it, unless the request failed on it (it may be broken, so a fresh one replaces it).
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/db.h"

class DbPool {
public:
    explicit DbPool(std::string url) : url_(std::move(url)) {}

    template <typename Body>
    auto Use(Body body) {
        std::unique_ptr<DbConnection> db = Borrow();
        auto result = body(*db);  // on an exception the connection is dropped
        Return(std::move(db));
        return result;
    }

private:
    std::unique_ptr<DbConnection> Borrow();
    void Return(std::unique_ptr<DbConnection> db);

    std::string url_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<DbConnection>> idle_;
};
