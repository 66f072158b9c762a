// A test run once over SQLite and once over a throwaway PostgreSQL cluster, with the
// server binary started on it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/server/pg_cluster.h"
#include "tests/server/server_run.h"
#include "tests/support/harness.h"

namespace servertest {

class ServerTest : public ::testing::TestWithParam<std::string> {
protected:
    // The database URL for this run's kind, made once; empty without PostgreSQL.
    std::string Database() {
        if (!database_.empty()) return database_;
        if (GetParam() == "sqlite") return database_ = "sqlite:" + (dir_.Path() / "ranking.db").string();
        cluster_ = std::make_unique<PgCluster>();
        if (!cluster_->Installed()) return "";
        EXPECT_FALSE(cluster_->Url().empty()) << cluster_->Why();
        return database_ = cluster_->Url();
    }
    // Starts (or starts again) the server on the database; nullptr when the database
    // cannot be had (the test is then skipped or has failed).
    std::unique_ptr<ServerRun> Start(const std::vector<std::string>& options) {
        if (Database().empty()) return nullptr;
        auto server = std::make_unique<ServerRun>(Database(), Log(), options);
        EXPECT_TRUE(server->Listening()) << test::ReadFile(Log());
        return server->Listening() ? std::move(server) : nullptr;
    }
    std::string Log() const { return (dir_.Path() / "server.log").string(); }
    bool PostgresMissing() const { return cluster_ && !cluster_->Installed(); }

    test::ScratchDir dir_;
    std::unique_ptr<PgCluster> cluster_;
    std::string database_;
};

#define LB_START_SERVER(server, ...)                                        \
    auto server = Start(__VA_ARGS__);                                      \
    if (PostgresMissing()) GTEST_SKIP() << "PostgreSQL is not installed";         \
    ASSERT_NE(server, nullptr)

}  // namespace servertest
