// MCI command strings over the backend's sounds, and the millisecond clock.
#include "platform/mmsystem.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/demo/demo.h"
#include "platform/host/files.h"
#include "platform/host/suspension.h"
#include "platform/mci_delivery.h"
#include "platform/seam/backend.h"

namespace {

struct Device {
    std::string alias;
    UINT deviceId;
    int sound;
    bool music;
    bool playing;
    // The window waiting for the outcome of the current play; null when nobody waits.
    HWND notifyWindow;
};

std::vector<Device> g_devices;
UINT g_nextDeviceId = 1;

// Pieces the backend reported as played to their end, not yet delivered.
std::vector<int> g_finishedSounds;

void (*g_watcher)(const char* command) = nullptr;

const backend::Sound& Sounds() {
    return backend::Active().sound;
}

void CollectFinishes() {
    const std::vector<int> reported = Sounds().takeFinished();
    g_finishedSounds.insert(g_finishedSounds.end(), reported.begin(), reported.end());
}

bool SameWord(std::string_view a, const char* b) {
    return a.size() == std::strlen(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

std::vector<std::string_view> SplitTokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t pos = 0;
    while (pos < text.size()) {
        pos = text.find_first_not_of(" \t", pos);
        if (pos == std::string_view::npos) break;
        std::size_t end = text.find_first_of(" \t", pos);
        if (end == std::string_view::npos) end = text.size();
        tokens.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return tokens;
}

Device* FindDevice(std::string_view alias) {
    for (Device& device : g_devices) {
        if (device.alias.size() == alias.size() &&
            strncasecmp(device.alias.data(), alias.data(), alias.size()) == 0) {
            return &device;
        }
    }
    return nullptr;
}

// A finish reported for a sound before it was stopped or restarted belongs to the piece
// that was cut short (a halted piece may be reported as ended), so it is dropped.
void ForgetFinishes(int sound) {
    CollectFinishes();
    std::erase(g_finishedSounds, sound);
}

void AbortPendingNotify(Device& device) {
    if (device.notifyWindow == nullptr) return;
    PostMessageA(device.notifyWindow, MM_MCINOTIFY, MCI_NOTIFY_ABORTED,
                 static_cast<LPARAM>(device.deviceId));
    device.notifyWindow = nullptr;
}

void StopDevice(Device& device) {
    AbortPendingNotify(device);
    Sounds().stop(device.sound);
    device.playing = false;
    ForgetFinishes(device.sound);
}

void ReleaseSound(const Device& device) {
    Sounds().close(device.sound);
}

MCIERROR Open(const std::vector<std::string_view>& tokens) {
    if (tokens.size() < 4) return MCIERR_MISSING_PARAMETER;
    if (!SameWord(tokens[2], "alias") || tokens.size() > 4) return MCIERR_UNRECOGNIZED_KEYWORD;
    if (FindDevice(tokens[3]) != nullptr) return MCIERR_DUPLICATE_ALIAS;

    const std::string file(tokens[1]);
    const std::size_t dot = file.rfind('.');
    const std::string_view extension =
        dot == std::string::npos ? std::string_view() : std::string_view(file).substr(dot);
    bool music;
    if (SameWord(extension, ".mid")) {
        music = true;
    } else if (SameWord(extension, ".wav")) {
        music = false;
    } else {
        return MCIERR_EXTENSION_NOT_FOUND;
    }

    const int sound = Sounds().open(ResolvePath(file.c_str()), music);
    if (sound < 0) return MCIERR_FILE_NOT_FOUND;
    g_devices.push_back(Device{std::string(tokens[3]), g_nextDeviceId++, sound, music, false, nullptr});
    return 0;
}

MCIERROR Play(Device& device, const std::vector<std::string_view>& tokens, HWND callback) {
    bool notify = false;
    for (std::size_t i = 2; i < tokens.size(); ++i) {
        if (SameWord(tokens[i], "notify")) {
            notify = true;
        } else if (SameWord(tokens[i], "from")) {
            if (++i == tokens.size()) return MCIERR_MISSING_PARAMETER;
            const std::string_view position = tokens[i];
            if (position.find_first_not_of("0123456789") != std::string_view::npos) {
                return MCIERR_BAD_INTEGER;
            }
            if (position.find_first_not_of('0') != std::string_view::npos) return MCIERR_OUTOFRANGE;
        } else {
            return MCIERR_UNRECOGNIZED_KEYWORD;
        }
    }

    AbortPendingNotify(device);
    if (device.music) {
        for (Device& other : g_devices) {
            if (&other != &device && other.music && other.playing) StopDevice(other);
        }
    }
    Sounds().play(device.sound);
    device.playing = true;
    ForgetFinishes(device.sound);
    if (notify) device.notifyWindow = callback;
    return 0;
}

MCIERROR Execute(std::string_view command, HWND callback) {
    const std::vector<std::string_view> tokens = SplitTokens(command);
    if (tokens.empty()) return MCIERR_MISSING_COMMAND_STRING;
    const std::string_view verb = tokens[0];
    if (SameWord(verb, "open")) return Open(tokens);

    const bool play = SameWord(verb, "play");
    const bool stop = SameWord(verb, "stop");
    const bool close = SameWord(verb, "close");
    if (!play && !stop && !close) return MCIERR_UNRECOGNIZED_COMMAND;
    if (tokens.size() < 2) return MCIERR_MISSING_PARAMETER;
    Device* device = FindDevice(tokens[1]);
    if (device == nullptr) return MCIERR_INVALID_DEVICE_NAME;
    if (play) return Play(*device, tokens, callback);
    if (tokens.size() > 2) return MCIERR_UNRECOGNIZED_KEYWORD;

    StopDevice(*device);
    if (close) {
        ReleaseSound(*device);
        g_devices.erase(g_devices.begin() + (device - g_devices.data()));
    }
    return 0;
}

}  // namespace

DWORD timeGetTime() {
    return DemoClock(static_cast<DWORD>(GameClockMs(backend::NowMs())));
}

MCIERROR mciSendStringA(LPCSTR command, LPSTR returnString, UINT returnLength, HWND callback) {
    if (returnString != nullptr && returnLength > 0) returnString[0] = '\0';
    if (command == nullptr) return MCIERR_MISSING_COMMAND_STRING;
    if (g_watcher != nullptr) g_watcher(command);
    DemoSoundCommand(command);
    const std::size_t length = strnlen(command, MCI_MAX_COMMAND_LENGTH + 1);
    if (length > MCI_MAX_COMMAND_LENGTH) return MCIERR_PARAM_OVERFLOW;
    return Execute(std::string_view(command, length), callback);
}

void WatchMciCommands(void (*watcher)(const char* command)) {
    g_watcher = watcher;
}

void DeliverFinishedSounds() {
    CollectFinishes();
    std::vector<int> finished;
    finished.swap(g_finishedSounds);
    // Told by device, whose ids follow the game's own commands, so a demo can carry them
    // from one backend to another.
    std::vector<int> devices;
    for (int sound : finished) {
        for (const Device& device : g_devices) {
            if (device.sound == sound && device.playing) devices.push_back(static_cast<int>(device.deviceId));
        }
    }
    for (int deviceId : DemoFinishedDevices(std::move(devices))) {
        for (Device& device : g_devices) {
            if (device.deviceId != static_cast<UINT>(deviceId) || !device.playing) continue;
            device.playing = false;
            if (device.notifyWindow != nullptr) {
                PostMessageA(device.notifyWindow, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL,
                             static_cast<LPARAM>(device.deviceId));
                device.notifyWindow = nullptr;
            }
        }
    }
}

void CloseAllSoundDevices() {
    for (Device& device : g_devices) {
        // The window is going away with them: nobody waits to hear of the abort.
        device.notifyWindow = nullptr;
        StopDevice(device);
        ReleaseSound(device);
    }
    g_devices.clear();
}
