// The test server and client.
#include "tests/server/server_run.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <thread>

#include "tests/support/harness.h"

namespace servertest {

Answer Request(int port, const std::string& method, const std::string& path, const Headers& headers,
               const std::string& body, const std::string& from) {
    Answer answer;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return answer;
    const timeval timeout{60, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
        ::close(fd);
        return answer;
    }
    std::string request = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    for (const auto& [name, value] : headers) request += name + ": " + value + "\r\n";
    if (method == "POST") request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    request += "\r\n" + body;
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;  // a server that refuses early may close before the body is sent
        sent += static_cast<std::size_t>(n);
    }
    std::string response;
    char buffer[8192];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) response.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    if (response.rfind("HTTP/1.1 ", 0) != 0) return answer;
    answer.status = std::atoi(response.c_str() + 9);
    const auto end = response.find("\r\n\r\n");
    if (end != std::string::npos) answer.body = response.substr(end + 4);
    return answer;
}

Answer Submit(int port, const std::string& demo, const std::string& name, const std::string& secret,
              const std::string& from) {
    return Request(port, "POST", "/api/runs",
                   {{"Content-Type", "application/octet-stream"}, {"X-Player-Name", name}, {"X-Player-Secret", secret}},
                   demo, from);
}

ServerRun::ServerRun(const std::string& database, const std::string& logPath, const std::vector<std::string>& extra) {
    std::vector<std::string> argv = {LB_BINARY_DIR "/lantern-blade-server",
                                     "--listen",
                                     "127.0.0.1:0",
                                     "--database",
                                     database,
                                     "--data",
                                     LB_SOURCE_DIR "/data",
                                     "--game",
                                     LB_BINARY_DIR "/lantern-blade"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    const std::size_t logStart = test::ReadFile(logPath).size();
    process_ = std::make_unique<e2e::Process>(argv, logPath);
    const std::regex listening("listening on http://127\\.0\\.0\\.1:([0-9]+)/");
    for (int i = 0; i < 600 && port_ == 0; ++i) {
        const std::string log = test::ReadFile(logPath).substr(std::min(logStart, test::ReadFile(logPath).size()));
        std::smatch match;
        if (std::regex_search(log, match, listening)) {
            port_ = std::stoi(match[1]);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
}

long ServerRun::PeakKb() const {
    if (port_ == 0) return 0;
    std::ifstream status("/proc/" + std::to_string(process_->Pid()) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return 0;
}

std::string ServerRun::Settle(const std::string& id, int seconds) const {
    std::string state;
    for (int i = 0; i < seconds * 10; ++i) {
        state = Field(Request(port_, "GET", "/api/runs/" + id).body, "state");
        if (state != "queued") return state;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return state;
}

}  // namespace servertest
