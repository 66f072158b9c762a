#include "tools/snapshot/script.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <sstream>

#include "platform/win32.h"

namespace snapshot {

namespace {

struct NamedKey {
    const char* name;
    int virtualKey;
};

constexpr NamedKey NAMED_KEYS[] = {
    {"Up", VK_UP}, {"Down", VK_DOWN}, {"Left", VK_LEFT}, {"Right", VK_RIGHT}, {"Escape", VK_ESCAPE},
};

bool KeyFromName(const std::string& name, int* virtualKey) {
    for (const NamedKey& key : NAMED_KEYS) {
        if (strcasecmp(name.c_str(), key.name) == 0) {
            *virtualKey = key.virtualKey;
            return true;
        }
    }
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
        *virtualKey = std::toupper(static_cast<unsigned char>(name[0]));
        return true;
    }
    return false;
}

bool ParseTime(const std::string& text, std::uint64_t* ms) {
    if (text.empty() || text.size() > 12 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        return false;
    }
    *ms = std::stoull(text);
    return true;
}

}  // namespace

bool ParseScript(const std::string& text, std::vector<KeyEvent>* events, std::string* error) {
    std::istringstream entries(text);
    std::string entry;
    while (std::getline(entries, entry, ';')) {
        std::istringstream words(entry);
        std::string word;
        if (!(words >> word)) continue;  // an empty entry, as after a final ';'
        std::uint64_t at = 0;
        if (word.rfind("t=", 0) != 0 || !ParseTime(word.substr(2), &at)) {
            *error = "an entry must start with t=<milliseconds>: '" + entry + "'";
            return false;
        }
        std::string action;
        std::string key;
        bool any = false;
        while (words >> action) {
            const bool down = strcasecmp(action.c_str(), "down") == 0;
            if (!down && strcasecmp(action.c_str(), "up") != 0) {
                *error = "expected down or up, got '" + action + "'";
                return false;
            }
            int virtualKey = 0;
            if (!(words >> key) || !KeyFromName(key, &virtualKey)) {
                *error = "unknown key after '" + action + "' in '" + entry + "'";
                return false;
            }
            events->push_back({at, down, virtualKey});
            any = true;
        }
        if (!any) {
            *error = "no key in '" + entry + "'";
            return false;
        }
    }
    std::stable_sort(events->begin(), events->end(),
                     [](const KeyEvent& a, const KeyEvent& b) { return a.atMs < b.atMs; });
    return true;
}

bool ParseShot(const std::string& text, Shot* shot, std::string* error) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon + 1 == text.size() ||
        !ParseTime(text.substr(0, colon), &shot->atMs)) {
        *error = "a shot is <milliseconds>:<file.png>, got '" + text + "'";
        return false;
    }
    shot->path = text.substr(colon + 1);
    return true;
}

}  // namespace snapshot
