// The player's settings, kept between runs in
// ${XDG_CONFIG_HOME:-~/.config}/lantern-blade/settings.ini.
#pragma once

#include <string>

struct Settings {
    bool fullscreen = true;
    int windowWidth = 1280;  // the window's size when not fullscreen
    int windowHeight = 960;
    int musicVolume = 100;  // percent
    int effectsVolume = 100;
    // The world ranking: the server runs are sent to (none: nothing is ever sent), the
    // name they are sent under, and the secret that holds the name there (made on the
    // first submission; the file is then readable by its owner only).
    std::string server;
    std::string name;
    std::string secret;
    // The overlay: off in classic play (the game's own frames only), the best run's ghost
    // shown in play.
    bool classic = false;
    bool ghost = true;

    bool operator==(const Settings&) const = default;
};

// How the command line asks the window to open; it beats the settings file for this run.
enum class DisplayChoice { AsSaved, Windowed, Fullscreen };
void ChooseDisplay(DisplayChoice choice);

// Whether a name is one the settings and demos take: 1 to 16 printable ASCII characters.
bool ValidPlayerName(const std::string& name);

// Every volume up or down by a tenth (steps of 10 percent), within 0 to 100.
void StepVolumes(Settings& settings, int steps);

// The file's settings: the defaults when there is none; a damaged file is ignored with
// one line on stderr.
Settings LoadSettings();
// Whether this run opens fullscreen: the settings, unless LANTERN_BLADE_WINDOWED=1 or
// the command line says otherwise. Neither changes the file.
bool OpensFullscreen(const Settings& settings);
// Whether a value is one the settings take: a name of 1 to 16 printable ASCII
// characters; a secret of 16 to 128 printable ASCII characters without spaces.
bool ValidPlayerName(const std::string& name);
bool ValidPlayerSecret(const std::string& secret);
// The settings this run follows, read from the file at first use, shared by the backend
// and the game's side.
Settings& RunSettings();
// Writes the settings when they differ from the file's, atomically. A damaged file is
// left as the player wrote it: this run then keeps its changes to itself.
void SaveSettings(const Settings& settings);
