// Starts and stops the throwaway cluster.
#include "tests/server/pg_cluster.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>

namespace servertest {

namespace fs = std::filesystem;

namespace {
constexpr const char* PG_BIN = "/usr/lib/postgresql/15/bin";
}

PgCluster::PgCluster() {
    std::error_code error;
    installed_ = fs::exists(std::string(PG_BIN) + "/initdb", error) && fs::exists(std::string(PG_BIN) + "/pg_ctl", error);
    if (!installed_) return;
    char pattern[] = "/tmp/lb-pg-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        why_ = "no scratch folder";
        return;
    }
    base_ = pattern;
    fs::create_directory(base_ + "/sock", error);
    // PostgreSQL refuses to run as root: the cluster belongs to nobody then.
    if (::geteuid() == 0) {
        asUser_ = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
        if (::chown(base_.c_str(), 65534, 65534) != 0 || ::chown((base_ + "/sock").c_str(), 65534, 65534) != 0) {
            why_ = "cannot hand the scratch folder to nobody";
            return;
        }
    }
    const int port = 20000 + static_cast<int>(std::random_device{}() % 20000);
    if (Run(std::string(PG_BIN) + "/initdb -D " + base_ + "/data --auth=trust -U lb -E UTF8 --no-sync") != 0) {
        why_ = "initdb failed (" + base_ + "/log)";
        return;
    }
    if (Run(std::string(PG_BIN) + "/pg_ctl -D " + base_ + "/data -l " + base_ + "/server.log -w -t 60 -o \"-k " +
            base_ + "/sock -p " + std::to_string(port) + " -c listen_addresses='' -c fsync=off\" start") != 0) {
        why_ = "pg_ctl start failed (" + base_ + "/server.log)";
        return;
    }
    url_ = "postgresql://lb@/postgres?host=" + base_ + "/sock&port=" + std::to_string(port);
}

PgCluster::~PgCluster() {
    if (base_.empty()) return;
    if (!url_.empty()) Run(std::string(PG_BIN) + "/pg_ctl -D " + base_ + "/data -m immediate -w stop");
    std::error_code error;
    fs::remove_all(base_, error);
}

int PgCluster::Run(const std::string& command) const {
    return std::system((asUser_ + command + " >> " + base_ + "/log 2>&1").c_str());
}

}  // namespace servertest
