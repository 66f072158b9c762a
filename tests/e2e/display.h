// A private X server for the end-to-end tests, and the few things done to the game's
// window from outside: find it, press a key.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "tests/e2e/process.h"

namespace e2e {

// Whether Xvfb and xdotool are installed.
bool CanRunDisplay();

class VirtualDisplay {
public:
    // Starts Xvfb with a screen of that size (WIDTHxHEIGHTxDEPTH) on a display number it
    // picks itself.
    explicit VirtualDisplay(const std::string& logFile, const std::string& screen = "640x480x24");
    bool Ready() const { return !name_.empty(); }
    const std::string& Name() const { return name_; }  // ":N"

    // True once a window with the title shows, false after the timeout.
    bool WaitForWindow(const std::string& title, std::chrono::seconds timeout) const;
    // Holds the key down long enough for the game's frame polling to see it.
    bool PressKey(const std::string& key) const;
    // Runs xdotool with the arguments on this display.
    bool Xdotool(const std::string& arguments) const { return Run("xdotool " + arguments); }
    // Kills the server, as a crash or the end of the session would.
    void Kill() { server_->Kill(); }

private:
    // Runs an X client command line on this display, killed after the timeout; true when
    // it exits with 0.
    bool Run(const std::string& command, std::chrono::seconds timeout = std::chrono::seconds(10)) const;

    std::unique_ptr<Process> server_;
    std::string name_;
};

}  // namespace e2e
