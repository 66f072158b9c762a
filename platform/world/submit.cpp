// The --submit command.
#include "platform/world/submit.h"

#include <sys/random.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/host/files.h"
#include "platform/host/user_dirs.h"
#include "platform/policy/settings.h"
#include "platform/world/outbox.h"
#include "platform/world/world_client.h"

namespace {

constexpr std::size_t DEMO_LIMIT = 64 * 1024;
constexpr int VERDICT_WAIT_SECONDS = 120;

std::string SettingsPath() { return (SettingsFolder() / "settings.ini").string(); }

// 24 random bytes from the system as hex; empty if none can be had.
std::string NewSecret() {
    unsigned char bytes[24];
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) return "";
    std::string hex;
    for (unsigned char b : bytes) {
        static const char digits[] = "0123456789abcdef";
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

int WaitForVerdict(const std::string& server, const std::string& id) {
    for (int waited = 0; waited < VERDICT_WAIT_SECONDS; ++waited) {
        const RunVerdict v = AskVerdict(server, id);
        if (v.state == "verified") {
            std::printf("verified: score %s, play time %s ms\n", v.score.c_str(), v.timeMs.c_str());
            return 0;
        }
        if (v.state == "refused") {
            std::printf("refused: %s\n", v.reason.c_str());
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    std::printf("still in the queue: %s/api/runs/%s says when it is verified\n", server.c_str(), id.c_str());
    return 0;
}

}  // namespace

int SubmitRunFile(const std::string& path) {
    Settings settings = LoadSettings();
    if (!ValidServerUrl(settings.server)) {
        std::fprintf(stderr,
                     "lantern-blade: no world ranking server is set: add server=http://... (or https://) to %s\n",
                     SettingsPath().c_str());
        return 2;
    }
    if (!ValidPlayerName(settings.name)) {
        std::fprintf(stderr, "lantern-blade: no name to send runs under: add name=... (1 to 16 characters) to %s\n",
                     SettingsPath().c_str());
        return 2;
    }
    std::string demo, failure;
    if (!ReadRegularFile(path, DEMO_LIMIT + 1, &demo, &failure) || demo.empty()) {
        std::fprintf(stderr, "lantern-blade: %s\n", failure.empty() ? (path + " is empty or missing").c_str()
                                                                    : failure.c_str());
        return 2;
    }
    if (demo.size() > DEMO_LIMIT) {
        std::fprintf(stderr, "lantern-blade: %s is over 64 KB, more than a world ranking takes\n", path.c_str());
        return 2;
    }
    if (settings.secret.empty()) {
        settings.secret = NewSecret();
        SaveSettings(settings);
    }

    SendKept(settings.server, settings.name, settings.secret);
    const SendResult sent = SendRun(settings.server, settings.name, settings.secret, demo);
    switch (sent.outcome) {
        case SendResult::Outcome::Accepted:
            std::printf("sent to %s as run %s; waiting for its verdict\n", settings.server.c_str(), sent.id.c_str());
            std::fflush(stdout);
            return WaitForVerdict(settings.server, sent.id);
        case SendResult::Outcome::Refused:
            std::printf("refused: %s\n", sent.message.c_str());
            return 1;
        case SendResult::Outcome::Failed:
            break;
    }
    if (KeepUnsent(demo, &failure)) {
        std::fprintf(stderr, "lantern-blade: not sent (%s); the run is kept and sent again with the next one\n",
                     sent.message.c_str());
    } else {
        std::fprintf(stderr, "lantern-blade: not sent (%s), and it cannot be kept: %s\n", sent.message.c_str(),
                     failure.c_str());
    }
    return 2;
}
