// The per-user folders of the desktop, as the XDG base directory rules name them.
#pragma once

#include <filesystem>

// ${XDG_CONFIG_HOME:-~/.config}/lantern-blade; empty when neither that nor HOME is set.
std::filesystem::path SettingsFolder();
// ${XDG_PICTURES_DIR:-~/Pictures}/Lantern Blade; empty when neither that nor HOME is set.
std::filesystem::path ScreenshotFolder();
