// The one seam every backend implements (the SDL backend for the desktop, the browser's,
// the headless one for the tests), as a table of modules: display, input, clock, sound,
// the world ranking, and the host's storage and packing. The entry point installs one at start; the stand-in
// above calls whatever is active, which may be a table wrapped round it (the demo
// recorder and player). The backends call nothing above the seam: what they have to tell,
// the stand-in asks for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host/packing.h"
#include "platform/host/storage.h"
#include "platform/seam/screen.h"

namespace backend {

// Where input and window events go, on the calling thread.
struct EventSink {
    void (*keyDown)(int virtualKey);
    void (*closeRequested)();
    // The window lost the focus or was minimised (false), or is back (true).
    void (*activeChanged)(bool active);
};

struct Display {
    // Opens the game window; false when there is no display. The game names its window
    // as the old interface had it; the backend shows the product's name.
    bool (*open)(const char* gameWindowName);
    void (*close)();
    // Shows a 640x480 frame of palette indices (rows 640 bytes apart) through a palette
    // of 256 entries 0x00RRGGBB.
    void (*present)(const std::uint8_t* pixels, const std::uint32_t* palette);
};

struct Input {
    // Delivers pending input and window events through the sink.
    void (*pumpEvents)(const EventSink& sink);
    // True while the key (a virtual-key code) is held.
    bool (*keyHeld)(int virtualKey);
};

struct Clock {
    // Milliseconds since boot, monotonic (the headless backend's clock is virtual).
    std::uint64_t (*nowMs)();
    // Called on a loop turn that drew nothing and fetched no message: give the processor
    // away until the clock has moved on by `milliseconds` whole milliseconds (at least to
    // the next one). Input that arrives meanwhile waits for the end of the pause.
    void (*idle)(std::uint32_t milliseconds);
    // Runs the game's loop: `turn` (one turn, true with the exit code once the game
    // quits) again and again, and returns that code. A host that calls the turns itself
    // (the browser, from its timers) is handed them and returns 0 at once; the program
    // exits with the code when the game quits.
    int (*runTurns)(bool (*turn)(int* exitCode));
    // The host pauses only between turns (the browser, whose page must never wait inside
    // one): idle then returns at once, and the pause it asks for begins when the turn
    // ends. What has to wait for the clock asks for the pause and lets the turn end.
    bool pausesBetweenTurns = false;
};

// A sound is opened from a file; music pieces play one at a time, effects mix over them.
// Ids are >= 0; -1 means the file could not be opened.
struct Sound {
    int (*open)(const std::string& path, bool music);
    void (*play)(int id);  // from the beginning, restarting if already playing
    void (*stop)(int id);
    void (*close)(int id);
    // The music pieces that played to their end (not stopped) since the last call, oldest
    // first. Pieces end on the audio thread; the stand-in takes them when it pumps.
    std::vector<int> (*takeFinished)();
};

// Where a player's runs go beyond this game.
struct World {
    // Sends the demo file (an absolute path) to the world ranking server the player set,
    // in the background; what the server says comes later as a note. Returns at once.
    void (*send)(const std::string& path);
};

struct Backend {
    Display display;
    Input input;
    Clock clock;
    Sound sound;
    World world;
    Storage storage;
    Packing packing;
};

// The backend of this run, installed by the entry point before anything else (its storage
// and packing become the host's); Device() is the one installed.
void Install(const Backend& device);
const Backend& Device();
// A table that forwards to the device (a demo's recorder or player); Active() is what the
// stand-in calls: the wrapper while one is installed, else the device.
void Wrap(const Backend& wrapper);
const Backend& Active();

// The loop on the calling thread, for the backends whose host leaves it to the game.
int TurnsHere(bool (*turn)(int* exitCode));

// The device with no window, no input, no sound and no pause: a demo verified or timed,
// unseen and unheard. Sounds still open only from files that are there.
Backend NullOver(const Backend& device);

// The device's calls, for what lies between the stand-in and the device (the demo
// recorder and player) and for the backends' own tests.
inline bool OpenWindow(const char* name) { return Device().display.open(name); }
inline void CloseWindow() { Device().display.close(); }
inline void Present(const std::uint8_t* pixels, const std::uint32_t* palette) {
    Device().display.present(pixels, palette);
}
inline void PumpEvents(const EventSink& sink) { Device().input.pumpEvents(sink); }
inline bool KeyHeld(int virtualKey) { return Device().input.keyHeld(virtualKey); }
inline std::uint64_t NowMs() { return Device().clock.nowMs(); }
inline void Idle(std::uint32_t milliseconds) { Device().clock.idle(milliseconds); }
inline void SendDemo(const std::string& path) { Device().world.send(path); }

}  // namespace backend
