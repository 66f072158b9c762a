#include "platform/policy/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "platform/host/files.h"
#include "platform/host/user_dirs.h"

namespace {

struct NumberField {
    const char* key;
    int Settings::*field;
    int low;
    int high;
};

constexpr NumberField NUMBER_FIELDS[] = {
    {"window_width", &Settings::windowWidth, 160, 16384},
    {"window_height", &Settings::windowHeight, 120, 16384},
    {"music_volume", &Settings::musicVolume, 0, 100},
    {"effects_volume", &Settings::effectsVolume, 0, 100},
};

// Far beyond any settings file written by hand; a larger one is no settings file.
constexpr std::size_t SIZE_LIMIT = 64 * 1024;
// How much of a line that is no setting is echoed.
constexpr std::size_t ECHO_LIMIT = 60;

DisplayChoice g_choice = DisplayChoice::AsSaved;
Settings g_saved;          // as the file holds them
bool g_writable = true;    // false once the file was found damaged
bool g_toldUnsaved = false;  // a failed write is told once a run

// The text as it may go to a terminal: cut short, and every byte that is not printable
// ASCII written as \xNN, so that no control sequence in the file reaches it.
std::string Printable(const std::string& text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size() && i < ECHO_LIMIT; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f) {
            shown += static_cast<char>(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            shown += escaped;
        }
    }
    return text.size() > ECHO_LIMIT ? shown + "..." : shown;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool ParseNumber(const std::string& text, int low, int high, int* number) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high) return false;
    *number = static_cast<int>(value);
    return true;
}

struct SwitchField {
    const char* key;
    bool Settings::*field;
};

constexpr SwitchField SWITCH_FIELDS[] = {
    {"fullscreen", &Settings::fullscreen},
    {"classic", &Settings::classic},
    {"ghost", &Settings::ghost},
};

bool ParseValue(const std::string& key, const std::string& value, Settings* settings) {
    for (const SwitchField& field : SWITCH_FIELDS) {
        if (key != field.key) continue;
        if (value != "true" && value != "false") return false;
        settings->*field.field = value == "true";
        return true;
    }
    for (const NumberField& field : NUMBER_FIELDS) {
        if (key == field.key) return ParseNumber(value, field.low, field.high, &(settings->*field.field));
    }
    // The server's URL is checked where it is used, so a mistyped one is said there.
    if (key == "server") {
        settings->server = value;
        return true;
    }
    if (key == "name") {
        settings->name = value;
        return value.empty() || ValidPlayerName(value);
    }
    if (key == "secret") {
        settings->secret = value;
        return value.empty() || ValidPlayerSecret(value);
    }
    return true;  // a key of another version: kept out of the way
}

// Empty on success; else what is wrong, with its line.
std::string Parse(std::istream& in, Settings* settings) {
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = Trimmed(line);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line.front() == '[' && line.back() == ']') continue;
        const std::size_t equals = line.find('=');
        const std::string key = Trimmed(line.substr(0, equals));
        if (equals == std::string::npos || !ParseValue(key, Trimmed(line.substr(equals + 1)), settings)) {
            return "line " + std::to_string(number) + " is not a setting: " + Printable(line);
        }
    }
    return {};
}

std::string Format(const Settings& settings) {
    std::ostringstream out;
    out << "# Lantern Blade settings, rewritten by the game when they change.\n"
        << "[display]\nfullscreen=" << (settings.fullscreen ? "true" : "false") << "\n";
    for (const NumberField& field : NUMBER_FIELDS) {
        if (std::strcmp(field.key, "music_volume") == 0) out << "\n[sound]\n";
        out << field.key << '=' << settings.*field.field << '\n';
    }
    out << "\n[world]\n# The world ranking server runs are sent to (none: nothing is sent).\nserver=" << settings.server
        << "\nname=" << settings.name << '\n';
    if (!settings.secret.empty()) out << "secret=" << settings.secret << '\n';
    out << "\n[play]\nclassic=" << (settings.classic ? "true" : "false")
        << "\nghost=" << (settings.ghost ? "true" : "false") << '\n';
    return out.str();
}

std::string SettingsFile() {
    const std::filesystem::path folder = SettingsFolder();
    return folder.empty() ? std::string() : (folder / "settings.ini").string();
}

}  // namespace

bool ValidPlayerName(const std::string& name) {
    return !name.empty() && name.size() <= 16 &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
}

bool ValidPlayerSecret(const std::string& secret) {
    return secret.size() >= 16 && secret.size() <= 128 &&
           std::all_of(secret.begin(), secret.end(), [](char c) { return c > 0x20 && c < 0x7f; });
}

void ChooseDisplay(DisplayChoice choice) {
    g_choice = choice;
}

void StepVolumes(Settings& settings, int steps) {
    constexpr int VOLUME_STEP = 10;
    settings.musicVolume = std::clamp(settings.musicVolume + steps * VOLUME_STEP, 0, 100);
    settings.effectsVolume = std::clamp(settings.effectsVolume + steps * VOLUME_STEP, 0, 100);
}

Settings LoadSettings() {
    const std::string path = SettingsFile();
    Settings read;
    std::string contents;
    std::string problem;
    if (!path.empty() && ReadRegularFile(path, SIZE_LIMIT, &contents, &problem)) {
        std::istringstream in(contents);
        problem = Parse(in, &read);
    }
    g_writable = problem.empty();
    if (!g_writable) {
        std::fprintf(stderr, "lantern-blade: %s ignored (%s)\n", path.c_str(), problem.c_str());
        read = Settings{};
    }
    g_saved = read;
    return read;
}

Settings& RunSettings() {
    static bool loaded = false;
    static Settings settings;
    if (!loaded) {
        loaded = true;
        settings = LoadSettings();
    }
    return settings;
}

bool OpensFullscreen(const Settings& settings) {
    if (g_choice != DisplayChoice::AsSaved) return g_choice == DisplayChoice::Fullscreen;
    const char* windowed = std::getenv("LANTERN_BLADE_WINDOWED");
    return settings.fullscreen && (windowed == nullptr || std::strcmp(windowed, "1") != 0);
}

void SaveSettings(const Settings& settings) {
    const std::string path = SettingsFile();
    if (!g_writable || settings == g_saved || path.empty()) return;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    // A secret another process made meanwhile (a run sent while the game plays) is the
    // player's hold on their name: it stays, whatever this run thought the file held.
    Settings written = settings;
    std::string contents, failure;
    if (written.secret.empty() && ReadRegularFile(path, SIZE_LIMIT, &contents, &failure)) {
        Settings onDisk;
        std::istringstream in(contents);
        if (Parse(in, &onDisk).empty()) written.secret = onDisk.secret;
    }
    // The file is the player's alone before a secret is written into it (a replacement
    // keeps the file's mode).
    if (!written.secret.empty()) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0) ::close(fd);
        ::chmod(path.c_str(), 0600);
    }
    if (ReplaceFileAtomically(path.c_str(), Format(written), &failure)) {
        g_saved = settings;
    } else if (!g_toldUnsaved) {
        g_toldUnsaved = true;
        std::fprintf(stderr, "lantern-blade: settings changed in this run are not kept in %s: %s\n", path.c_str(),
                     failure.c_str());
    }
}
