// Pieces the SDL backend's files share with each other; nothing outside platform/sdl/
// includes this.
#pragma once

#include <SDL.h>
#include <spawn.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/policy/settings.h"
#include "platform/sdl/sdl_convert.h"
#include "platform/seam/backend.h"

namespace sdl_backend {

#include "platform/seam/backend_modules.h"

// The keyboard's layout is asked anew at the next key read (a display opened, the layout
// changed).
void ForgetKeyLayout();
// Switches between fullscreen-desktop and a resizable window (Alt+Enter, F11).
void ToggleFullscreen();
// Whether the window is fullscreen.
bool WindowFullscreen();
// Follows size, exposure, focus and minimising of the game window; losing the focus or
// being minimised suspends the game (reported through activeChanged).
void HandleWindowEvent(const SDL_WindowEvent& event, const backend::EventSink& sink);
// The size a window opens at: the saved size when it fits in `room` (the usable area of
// the screen less the window's frame; 0 when unknown), else the largest whole multiple
// of the picture that does, at least the picture's own size.
void FitWindowSize(int savedWidth, int savedHeight, SDL_Point room, int* width, int* height);
// Without a window manager, puts the window where fullscreen or the window size has it
// (nobody else would), a window at the size FitWindowSize gives on the whole screen;
// does nothing when a window manager runs or not on X11.
void PlaceWithoutWindowManager(SDL_Window* window);
// Notes a window size the backend asks for itself: the size change that follows is not
// the player's, and is not kept in the settings.
void AskWindowSize(int width, int height);
// False where no window manager runs on X11: nobody frames the window there, and asking
// for the frame's size would wait a tenth of a second for an answer that never comes.
bool MayHaveFrame(SDL_Window* window);
// True where the display is X11 with no window manager running, asked before there is a
// window (through a connection of its own).
bool NoWindowManagerYet();

// The player's settings, read from the file at first use; StoreSettings writes them
// back when they changed.
Settings& PlayerSettings();
void StoreSettings();
// Asks for the write once the settings have settled: StoreSettledSettings, called as
// events are pumped, makes it when no change came for half a second, or at once with
// `now` (at exit).
void StoreSettingsSoon();
void StoreSettledSettings(bool now);
// Volume keys: every volume up or down by a step (kept in the settings); mute for the run.
// Each says what it did (ShowNote).
void ChangeVolume(int steps);
void ToggleMute();

// Chooses how the picture reaches the window (the window surface where drawing is done in
// software, else a renderer) and sets it up; false when neither can be had.
bool StartPresenting(SDL_Window* window);
void StopPresenting();
// Shows a frame, converting only the rows that changed since the frame shown.
void PresentFrame(const std::uint8_t* pixels, const std::uint32_t* palette);
// Shows the frame shown again (with the note, while it lasts): the window was exposed, the
// note came or went, or the window changed size (resized).
void ShowPicture(bool resized);
// The frame on screen, null before the first.
const ShownFrame* FrameShown();

// Says what one of the backend's keys did: the line on stderr, the short note over the
// picture shown for about a second.
void ShowNote(const std::string& onScreen, const std::string& onStderr);
// A run being sent to the world ranking: its sender's output read, and its last word
// shown as a note once it ends.
void PollSending();

// Starts the game binary with `options` (file actions may be null); 0, or an errno value.
int SpawnGame(std::vector<std::string> options, const posix_spawn_file_actions_t* actions, pid_t* child);
// The rows of the picture the note covers while it lasts, or covered when last drawn
// (first row, count); count 0 when there is none.
std::pair<int, int> NoteRows();
// Draws the note, while it lasts, over the picture about to be shown: through the
// renderer, or into a surface where the picture lies at `origin` at `scale`.
void DrawNote(SDL_Renderer* renderer);
void DrawNote(SDL_Surface* surface, SDL_Point origin, int scale);
// Shows the picture without the note once its time is over (called as events are pumped).
void ExpireNote();

// Writes the frame on screen as a PNG into the screenshot folder under a time-stamped name.
void SaveScreenshot();

// Opens and closes game controllers as they are plugged in and out; a pressed button
// reports its virtual key through keyDown.
void HandleControllerEvent(const SDL_Event& event, void (*keyDown)(int virtualKey));
// True while a connected controller holds the button or stick direction mapped to the key.
bool ControllerHeld(int virtualKey);

// Appends the time of a present to the LANTERN_BLADE_FRAME_LOG file, when one is named.
void LogPresent();

// Music and effect volume, 0..100 each.
void SetAudioVolumes(int musicPercent, int effectsPercent);
// Silences everything without forgetting the volumes.
void SetAudioMuted(bool muted);
// Holds everything where it is (the window lost focus) and goes on from there when released; a held piece does not reach its end.
void SetAudioSuspended(bool suspended);
// Ends the game at once when the connection to the X display is lost.
void WatchDisplayConnection();

// Ends the current idle pause at once (or the next one, if none is under way): a piece
// has played to its end and the loop should restart it without waiting.
void WakeIdle();

// True once after each idle pause: the turn that follows one is where a frame falls due,
// and the keys it reads are fetched then, not taken from a fetch made before the pause.
bool TakeIdleEnded();

// Stops the audio thread before the process's static objects go away.
void ShutDownAudio();
// A hang-up (the terminal closed) asks the game to end as SIGTERM does, through the close
// request the event pump passes on, so that a save under way is finished first. A
// hang-up ignored from the start (nohup) stays ignored.
void CatchHangUp();
// True once for each hang-up received.
bool TakeHangUp();
// Registers, once, the exit handler that stops audio and then SDL.
void ShutDownAtExit();

}  // namespace sdl_backend
