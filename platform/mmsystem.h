// Stand-in for the Windows multimedia calls: the millisecond clock and MCI command
// strings. Devices are named by alias: ".mid" files play on the one sequencer (a second
// piece stops the first), ".wav" effects mix freely over the music. A play with
// "notify" posts MM_MCINOTIFY to the callback window: MCI_NOTIFY_SUCCESSFUL when the
// piece plays to its end, MCI_NOTIFY_ABORTED (during the call) when a pending notify is
// cut short by a new play, a stop or a close.
#pragma once

#include <cstddef>

#include "platform/win32.h"

using MCIERROR = DWORD;

constexpr UINT MM_MCINOTIFY = 0x03B9;
constexpr WPARAM MCI_NOTIFY_SUCCESSFUL = 0x0001;
constexpr WPARAM MCI_NOTIFY_ABORTED = 0x0004;

constexpr MCIERROR MCIERR_UNRECOGNIZED_KEYWORD = 259;
constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = 261;
constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = 263;
constexpr MCIERROR MCIERR_MISSING_COMMAND_STRING = 267;
constexpr MCIERROR MCIERR_PARAM_OVERFLOW = 268;
constexpr MCIERROR MCIERR_BAD_INTEGER = 270;
constexpr MCIERROR MCIERR_MISSING_PARAMETER = 273;
constexpr MCIERROR MCIERR_FILE_NOT_FOUND = 275;
constexpr MCIERROR MCIERR_EXTENSION_NOT_FOUND = 281;
constexpr MCIERROR MCIERR_OUTOFRANGE = 282;
constexpr MCIERROR MCIERR_DUPLICATE_ALIAS = 289;

// Milliseconds since boot from the monotonic clock, wrapping at 32 bits.
DWORD timeGetTime();

// Supports "open FILE alias NAME", "play NAME [from N] [notify]", "stop NAME",
// "close NAME"; verbs and options are case-insensitive. Returns 0 on success.
// Commands longer than MCI_MAX_COMMAND_LENGTH characters are refused. A piece can only
// start from its beginning, so "from" takes 0 alone.
constexpr std::size_t MCI_MAX_COMMAND_LENGTH = 1024;
MCIERROR mciSendStringA(LPCSTR command, LPSTR returnString, UINT returnLength, HWND callback);
// From now on every command string sent is also given to the watcher, as sent (the tests
// keep a log of them); null stops it.
void WatchMciCommands(void (*watcher)(const char* command));

// Stops and closes every device still open, as "close" would but without a command
// string: for the teardown, which must release what no Close command released.
void CloseAllSoundDevices();
