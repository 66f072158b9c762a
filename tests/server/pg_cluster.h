// A throwaway PostgreSQL cluster for a test: Debian's initdb and pg_ctl run as an
// ordinary user (nobody, when the tests run as root), with a data folder, a socket
// folder and a port of its own, stopped and removed afterwards.
#pragma once

#include <string>

namespace servertest {

class PgCluster {
public:
    PgCluster();
    ~PgCluster();
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    // Empty when PostgreSQL's binaries are not installed; why() says what went wrong
    // when they are and the cluster did not start.
    const std::string& Url() const { return url_; }
    bool Installed() const { return installed_; }
    const std::string& Why() const { return why_; }

private:
    int Run(const std::string& command) const;

    bool installed_ = false;
    std::string base_, url_, why_, asUser_;
};

}  // namespace servertest
