// The outbox folder.
#include "platform/world/outbox.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

#include "platform/host/files.h"
#include "platform/host/user_dirs.h"
#include "platform/world/world_client.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t DEMO_LIMIT = 64 * 1024;

fs::path Outbox() {
    const fs::path scores = ScoresFolder();
    return scores.empty() ? fs::path() : scores / "outbox";
}

}  // namespace

bool KeepUnsent(const std::string& demo, std::string* failure) {
    const fs::path folder = Outbox();
    if (folder.empty()) {
        *failure = "neither XDG_DATA_HOME nor HOME is set";
        return false;
    }
    std::error_code error;
    fs::create_directories(folder, error);
    ::chmod(folder.c_str(), 0700);
    // Named by the time it was kept, so the oldest goes first.
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    char name[64];
    std::snprintf(name, sizeof name, "%015lld-%08x.lbdemo", static_cast<long long>(now),
                  static_cast<unsigned>(std::random_device{}()));
    return ReplaceGivenFile((folder / name).string(), demo, failure);
}

int SendKept(const std::string& server, const std::string& name, const std::string& secret) {
    const fs::path folder = Outbox();
    std::error_code error;
    if (folder.empty() || !fs::is_directory(folder, error)) return 0;
    std::vector<fs::path> kept;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".lbdemo") kept.push_back(entry.path());
    }
    std::sort(kept.begin(), kept.end());
    int accepted = 0;
    for (const fs::path& path : kept) {
        std::string demo, failure;
        if (!ReadRegularFile(path.string(), DEMO_LIMIT, &demo, &failure)) {
            std::fprintf(stderr, "lantern-blade: a kept run cannot be read: %s\n", failure.c_str());
            continue;
        }
        const SendResult sent = SendRun(server, name, secret, demo);
        if (sent.outcome == SendResult::Outcome::Failed) break;
        if (sent.outcome == SendResult::Outcome::Accepted) {
            ++accepted;
            std::fprintf(stderr, "lantern-blade: a kept run was sent: run %s\n", sent.id.c_str());
        } else {
            std::fprintf(stderr, "lantern-blade: a kept run was refused: %s\n", sent.message.c_str());
        }
        RemoveFile(path.string());
    }
    return accepted;
}
