// The one seam both backends implement (the SDL backend for the game, the headless
// backend for the tests). The stand-in above it never sees SDL; the backends below it
// call nothing above them: what they have to tell, the stand-in asks for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/seam/screen.h"

namespace backend {

// Opens the game window; false when there is no display. The game names its window as
// the old interface had it; the backend shows the product's name.
bool OpenWindow(const char* gameWindowName);
void CloseWindow();

// Shows a 640x480 frame of palette indices (rows 640 bytes apart) through a palette of
// 256 entries 0x00RRGGBB.
void Present(const std::uint8_t* pixels, const std::uint32_t* palette);

// Delivers pending input and window events through the callbacks, on the calling thread.
struct EventSink {
    void (*keyDown)(int virtualKey);
    void (*closeRequested)();
    // The window lost the focus or was minimised (false), or is back (true).
    void (*activeChanged)(bool active);
};
void PumpEvents(const EventSink& sink);

// True while the key (a virtual-key code) is held.
bool KeyHeld(int virtualKey);

// Milliseconds since boot, monotonic (the headless backend's clock is virtual).
std::uint64_t NowMs();

// Called on a loop turn that drew nothing and fetched no message: give the processor
// away until the clock has moved on by `milliseconds` whole milliseconds (at least to the
// next one). Input that arrives meanwhile waits for the end of the pause.
void Idle(std::uint32_t milliseconds);

// Audio. A sound is opened from a file; music pieces play one at a time, effects mix
// over them. Ids are >= 0; -1 means the file could not be opened.
int OpenSound(const std::string& path, bool music);
void PlaySound(int id);  // from the beginning, restarting if already playing
void StopSound(int id);
void CloseSound(int id);
// The music pieces that played to their end (not stopped) since the last call, oldest
// first. Pieces end on the audio thread; the stand-in takes them when it pumps its queue.
std::vector<int> TakeFinishedSounds();

// Sends the demo file (an absolute path) to the world ranking server the player set, in
// the background; what the server says comes later as a note. Returns at once.
void SendDemo(const std::string& path);

// Every MCI command string as sent (the headless backend logs them for the tests).
void RecordMciCommand(const char* command);

}  // namespace backend
