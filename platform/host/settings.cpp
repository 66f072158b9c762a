#include "platform/host/settings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
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

DisplayChoice g_choice = DisplayChoice::AsSaved;
Settings g_saved;          // as the file holds them
bool g_writable = true;    // false once the file was found damaged

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

bool ParseValue(const std::string& key, const std::string& value, Settings* settings) {
    if (key == "fullscreen") {
        if (value != "true" && value != "false") return false;
        settings->fullscreen = value == "true";
        return true;
    }
    for (const NumberField& field : NUMBER_FIELDS) {
        if (key == field.key) return ParseNumber(value, field.low, field.high, &(settings->*field.field));
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
            return "line " + std::to_string(number) + " is not a setting: " + line;
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
    return out.str();
}

std::string SettingsFile() {
    const std::filesystem::path folder = SettingsFolder();
    return folder.empty() ? std::string() : (folder / "settings.ini").string();
}

}  // namespace

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
    g_writable = true;
    std::ifstream in(path);
    if (in) {
        const std::string problem = Parse(in, &read);
        if (!problem.empty()) {
            std::fprintf(stderr, "lantern-blade: %s ignored (%s)\n", path.c_str(), problem.c_str());
            read = Settings{};
            g_writable = false;
        }
    }
    g_saved = read;
    return read;
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
    if (ReplaceFileAtomically(path.c_str(), Format(settings))) g_saved = settings;
}
