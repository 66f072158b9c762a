// Pieces the SDL backend's files share with each other; nothing outside platform/sdl/
// includes this.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/backend.h"
#include "platform/sdl/sdl_convert.h"

namespace sdl_backend {

// Switches between fullscreen-desktop and a resizable window (Alt+Enter).
void ToggleFullscreen();
// Follows size, exposure and focus changes of the game window.
void HandleWindowEvent(const SDL_WindowEvent& event);

// Opens and closes game controllers as they are plugged in and out; a pressed button
// reports its virtual key through keyDown.
void HandleControllerEvent(const SDL_Event& event, void (*keyDown)(int virtualKey));
// True while a connected controller holds the button or stick direction mapped to the key.
bool ControllerHeld(int virtualKey);

// Appends the time of a present to the LANTERN_BLADE_FRAME_LOG file, when one is named.
void LogPresent();

// Stops the audio thread before the process's static objects go away.
void ShutDownAudio();
// Registers, once, the exit handler that stops audio and then SDL.
void ShutDownAtExit();

}  // namespace sdl_backend
