// Reads the server's options.
#include "server/options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char USAGE[] =
    "usage: lantern-blade-server [options]\n"
    "  --listen HOST:PORT     where to answer HTTP (default 127.0.0.1:8000)\n"
    "  --database URL         sqlite:PATH (default sqlite:lantern-blade-server.db) or postgresql://...\n"
    "  --site DIR             the browser game's files, served under /play/\n"
    "  --data DIR             the game data runs are replayed on (default: found as the game finds it)\n"
    "  --game PATH            the game binary that verifies runs (default: lantern-blade beside this one)\n"
    "  --workers N            verification workers (default: one per core)\n"
    "  --trusted-proxy ADDR   believe X-Forwarded-For from this address only\n"
    "  --per-address N        runs accepted per minute from one address (default 10; 0: no limit)\n"
    "  --per-name N           runs accepted per minute under one name (default 10; 0: no limit)\n"
    "  --lease-seconds N      a worker's hold on a run before another may take it (default 120)\n"
    "  --timeout-seconds N    wall-clock time a verification may take (default 30)\n"
    "  --remove ID            take a run off the board and exit\n"
    "  --measure DEMO         verify DEMO in the sandbox --runs times (default 20), print the cost, exit\n"
    "  --runs N               how many verifications --measure times\n";

bool Number(const char* text, int min, int max, int* out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < min || value > max) return false;
    *out = static_cast<int>(value);
    return true;
}

}  // namespace

std::optional<ServerOptions> ReadServerOptions(int argc, const char* const* argv, int* exitCode) {
    ServerOptions o;
    *exitCode = 2;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help") {
            std::fputs(USAGE, stdout);
            *exitCode = 0;
            return std::nullopt;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "lantern-blade-server: %s needs a value\n%s", option.c_str(), USAGE);
            return std::nullopt;
        }
        const char* value = argv[++i];
        bool ok = true;
        if (option == "--listen") {
            const char* colon = std::strrchr(value, ':');
            ok = colon != nullptr && colon != value && Number(colon + 1, 0, 65535, &o.listenPort);
            if (ok) o.listenHost.assign(value, colon);
        } else if (option == "--database") {
            o.database = value;
        } else if (option == "--site") {
            o.site = value;
        } else if (option == "--data") {
            o.data = value;
        } else if (option == "--game") {
            o.game = value;
        } else if (option == "--trusted-proxy") {
            o.trustedProxy = value;
        } else if (option == "--remove") {
            o.removeId = value;
        } else if (option == "--measure") {
            o.measureDemo = value;
        } else if (option == "--runs") {
            ok = Number(value, 1, 100000, &o.measureRuns);
        } else if (option == "--workers") {
            ok = Number(value, 0, 256, &o.workers);
        } else if (option == "--per-address") {
            ok = Number(value, 0, 1000000, &o.perAddressPerMinute);
        } else if (option == "--per-name") {
            ok = Number(value, 0, 1000000, &o.perNamePerMinute);
        } else if (option == "--lease-seconds") {
            ok = Number(value, 1, 86400, &o.leaseSeconds);
        } else if (option == "--timeout-seconds") {
            ok = Number(value, 1, 3600, &o.timeoutSeconds);
        } else {
            std::fprintf(stderr, "lantern-blade-server: unknown option %s\n%s", option.c_str(), USAGE);
            return std::nullopt;
        }
        if (!ok) {
            std::fprintf(stderr, "lantern-blade-server: bad value for %s: %s\n", option.c_str(), value);
            return std::nullopt;
        }
    }
    return o;
}
