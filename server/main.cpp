// lantern-blade-server: one process answering HTTP on a pool of threads while its
// verification workers replay the queued runs. --remove takes a run off the board.
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>

#include <cstdio>
#include <filesystem>
#include <thread>

#include "server/api.h"
#include "server/measure.h"
#include "server/options.h"
#include "server/request_rules.h"
#include "server/runs.h"
#include "server/schema.h"
#include "server/workers.h"

namespace {

namespace fs = std::filesystem;

bool HasGameData(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(folder / "bmp", error);
}

// As the game looks: a working directory holding the data, the data beside the binary,
// the installed tree.
std::string FindGameData(const fs::path& game) {
    std::error_code error;
    if (HasGameData(".")) return fs::current_path(error).string();
    for (const fs::path& candidate : {game.parent_path() / "data", game.parent_path() / LB_DATA_FROM_BINARY}) {
        if (HasGameData(candidate)) return fs::canonical(candidate, error).string();
    }
    return "";
}

// cpp-httplib listens with a backlog of 5, fixed when the library was built: a burst of
// submissions overflowed it, and the connections dropped waited for the client's SYN
// retries, 1, 3, 7 seconds. Listening again on the same socket widens the backlog.
void WidenBacklog(int port) {
    for (int fd = 3; fd < 1024; ++fd) {
        int accepting = 0;
        socklen_t length = sizeof accepting;
        if (getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &accepting, &length) != 0 || accepting == 0) continue;
        sockaddr_storage address{};
        socklen_t addressLength = sizeof address;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &addressLength) != 0) continue;
        const in_port_t bound = address.ss_family == AF_INET6
                                    ? reinterpret_cast<const sockaddr_in6&>(address).sin6_port
                                    : reinterpret_cast<const sockaddr_in&>(address).sin_port;
        if (ntohs(bound) == port) ::listen(fd, SOMAXCONN);
    }
}

int Remove(DbConnection& db, const std::string& id) {
    if (!ValidRunId(id) || !RemoveRun(db, id)) {
        std::fprintf(stderr, "lantern-blade-server: no run %s\n", id.c_str());
        return 1;
    }
    std::printf("run %s is off the board\n", id.c_str());
    return 0;
}

int Serve(const ServerOptions& o) {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    WorkerSettings work;
    work.database = o.database;
    work.sandbox.game = fs::absolute(o.game.empty() ? self.parent_path() / "lantern-blade" : fs::path(o.game), error);
    work.sandbox.data = o.data.empty() ? FindGameData(work.sandbox.game) : fs::absolute(o.data, error).string();
    work.sandbox.wallSeconds = o.timeoutSeconds;
#ifdef LB_SANITIZED
    // AddressSanitizer reserves terabytes of address space, and its leak report would
    // turn a verified run into a failed one: the suite checks the game's leaks itself.
    work.sandbox.memoryBytes = 0;
    work.sandbox.environment = {{"ASAN_OPTIONS", "detect_leaks=0"}};
#endif
    work.count = o.workers > 0 ? o.workers : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    work.leaseMs = std::int64_t{o.leaseSeconds} * 1000;
    if (work.sandbox.data.empty() || !HasGameData(work.sandbox.data)) {
        std::fprintf(stderr, "lantern-blade-server: no game data to replay runs on (give --data DIR)\n");
        return 1;
    }
    std::string why;
    if (!o.measureDemo.empty()) return MeasureVerification(work.sandbox, o.measureDemo, o.measureRuns);
    if (!SandboxWorks(work.sandbox, &why)) {
        std::fprintf(stderr, "lantern-blade-server: no working sandbox; runs are accepted but wait in the queue: %s\n",
                     why.c_str());
    }

    // The signals are taken by one thread, so none lands in a worker's fork.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    DbPool pool(o.database);
    Workers workers(work);
    ApiSettings settings;
    settings.site = o.site;
    settings.trustedProxy = o.trustedProxy;
    settings.perAddressPerMinute = o.perAddressPerMinute;
    settings.perNamePerMinute = o.perNamePerMinute;
    Api api{settings, pool, &workers};
    httplib::Server server;
    server.set_read_timeout(10, 0);
    server.set_write_timeout(10, 0);
    server.set_keep_alive_timeout(5);
    AddRoutes(server, api);

    int port = o.listenPort;
    if (port == 0) {
        port = server.bind_to_any_port(o.listenHost.c_str());
    } else if (!server.bind_to_port(o.listenHost.c_str(), port)) {
        port = -1;
    }
    if (port < 0) {
        std::fprintf(stderr, "lantern-blade-server: cannot listen on %s:%d\n", o.listenHost.c_str(), o.listenPort);
        return 1;
    }
    WidenBacklog(port);
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
    });
    std::fprintf(stderr, "lantern-blade-server: listening on http://%s:%d/ (game data %s)\n", o.listenHost.c_str(), port,
                 work.sandbox.data.c_str());
    const bool served = server.listen_after_bind();
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return served ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    int exitCode = 0;
    const auto options = ReadServerOptions(argc, argv, &exitCode);
    if (!options) return exitCode;
    try {
        if (options->measureDemo.empty()) {
            auto db = OpenDatabase(options->database);
            Migrate(*db);
            if (!options->removeId.empty()) return Remove(*db, options->removeId);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lantern-blade-server: %s\n", e.what());
        return 1;
    }
    return Serve(*options);
}
