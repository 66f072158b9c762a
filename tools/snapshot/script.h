// The snapshot tool's inputs: a script of timed key presses and the frames to capture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace snapshot {

struct KeyEvent {
    std::uint64_t atMs;  // virtual milliseconds after the start
    bool down;
    int virtualKey;
};

struct Shot {
    std::uint64_t atMs;
    std::string path;
    bool overlay = false;  // with the overlay drawn over the frame, as a window shows it
};

// "t=0 down Z; t=300 up Z down Right; ..." — each entry a time and one or more
// down/up KEY pairs. Keys: Up, Down, Left, Right, Escape, or a letter or digit. Events
// come back sorted by time, in script order within a time. False (with a message) on
// anything else.
bool ParseScript(const std::string& text, std::vector<KeyEvent>* events, std::string* error);
// "1500:play.png"
bool ParseShot(const std::string& text, Shot* shot, std::string* error);

}  // namespace snapshot
