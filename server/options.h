// The server's command line.
#pragma once

#include <optional>
#include <string>

struct ServerOptions {
    std::string listenHost = "127.0.0.1";
    int listenPort = 8000;
    std::string database = "sqlite:lantern-blade-server.db";
    std::string site;
    std::string data;  // empty: found as the game finds it
    std::string game;  // empty: lantern-blade beside this binary
    std::string trustedProxy;
    std::string removeId;  // --remove: take this run off the board and exit
    std::string measureDemo;  // --measure: time verifications of this demo and exit
    int measureRuns = 20;
    int workers = 0;       // 0: one per core
    int perAddressPerMinute = 10;
    int perNamePerMinute = 10;
    int leaseSeconds = 120;
    int timeoutSeconds = 30;
};

// The options, or nullopt after --help (printed, exit 0) or a mistake (said on stderr,
// *exitCode 2).
std::optional<ServerOptions> ReadServerOptions(int argc, const char* const* argv, int* exitCode);
