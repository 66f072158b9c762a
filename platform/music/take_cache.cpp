#include "platform/music/take_cache.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/host/user_dirs.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view TAKE_SUFFIX = ".flac";
constexpr std::string_view PARTIAL_MARK = ".flac.partial-";
constexpr std::size_t KEY_DIGITS = 16;

bool IsKey(std::string_view name) {
    return name.size() == KEY_DIGITS && name.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// "<key>.flac"
bool IsTake(std::string_view name) {
    return name.size() == KEY_DIGITS + TAKE_SUFFIX.size() && name.ends_with(TAKE_SUFFIX) &&
           IsKey(name.substr(0, KEY_DIGITS));
}

// The process that writes "<key>.flac.partial-<pid>-<n>", or 0 for any other name.
pid_t PartialWriter(std::string_view name) {
    if (name.size() <= KEY_DIGITS + PARTIAL_MARK.size() || !IsKey(name.substr(0, KEY_DIGITS)) ||
        name.substr(KEY_DIGITS, PARTIAL_MARK.size()) != PARTIAL_MARK) {
        return 0;
    }
    const std::string rest(name.substr(KEY_DIGITS + PARTIAL_MARK.size()));
    char* end = nullptr;
    const long pid = std::strtol(rest.c_str(), &end, 10);
    return pid > 0 && *end == '-' ? static_cast<pid_t>(pid) : 0;
}

bool Ended(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

}  // namespace

namespace music {

bool PrepareTakeFolder(const fs::path& folder, std::uintmax_t most) {
    std::string failure;
    if (!MakePrivateFolder(folder, &failure)) return false;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const pid_t writer = PartialWriter(it->path().filename().string());
        if (writer != 0 && Ended(writer)) ::unlink(it->path().c_str());
    }
    BoundTakes(folder, most);
    return true;
}

void BoundTakes(const fs::path& folder, std::uintmax_t most) {
    // Played last (a take's time is renewed when it is read), size, file.
    std::vector<std::tuple<fs::file_time_type, std::uintmax_t, fs::path>> takes;
    std::uintmax_t total = 0;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (!IsTake(it->path().filename().string()) || !it->is_regular_file(ignored) || it->is_symlink(ignored)) {
            continue;
        }
        const std::uintmax_t size = it->file_size(ignored);
        takes.emplace_back(it->last_write_time(ignored), size, it->path());
        total += size;
    }
    std::sort(takes.begin(), takes.end());
    for (std::size_t i = 0; total > most && i + 1 < takes.size(); ++i) {
        if (::unlink(std::get<2>(takes[i]).c_str()) == 0) total -= std::get<1>(takes[i]);
    }
}

}  // namespace music
