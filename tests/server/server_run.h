// The real server binary for a test, on a port of its own, and a plain HTTP/1.1 client
// that can send from any loopback address (the rate limits count per address).
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/world/world_client.h"
#include "tests/e2e/process.h"

namespace servertest {

struct Answer {
    int status = 0;  // 0: no answer
    std::string body;
};

using Headers = std::vector<std::pair<std::string, std::string>>;

Answer Request(int port, const std::string& method, const std::string& path, const Headers& headers = {},
               const std::string& body = "", const std::string& from = "127.0.0.1");
// A submission of a demo under a name and secret.
Answer Submit(int port, const std::string& demo, const std::string& name, const std::string& secret,
              const std::string& from = "127.0.0.1");

// A field of an answer, read as the game's world client reads it.
inline std::string Field(const std::string& json, const std::string& name) { return JsonField(json, name); }

class ServerRun {
public:
    // Starts lantern-blade-server on the database, replaying on the source tree's data,
    // with the extra options; waits until it listens.
    ServerRun(const std::string& database, const std::string& logPath, const std::vector<std::string>& extra = {});
    int Port() const { return port_; }
    bool Listening() const { return port_ > 0; }
    // The server's peak resident memory in kB so far (0 when unknown).
    long PeakKb() const;
    void Kill() { process_->Kill(); }
    // The run's state once it is no longer queued, waiting at most the given seconds.
    std::string Settle(const std::string& id, int seconds) const;

private:
    std::unique_ptr<e2e::Process> process_;
    int port_ = 0;
};

}  // namespace servertest
