// The per-user folders of the desktop, as the XDG base directory rules name them.
#pragma once

#include <filesystem>
#include <string>

// ${XDG_CONFIG_HOME:-~/.config}/lantern-blade; empty when neither that nor HOME is set.
std::filesystem::path SettingsFolder();
// <pictures>/Lantern Blade, the pictures folder found as xdg-user-dir finds it: XDG_PICTURES_DIR
// in the environment, else in ${XDG_CONFIG_HOME:-~/.config}/user-dirs.dirs, else ~/Pictures;
// empty when none of them is set.
std::filesystem::path ScreenshotFolder();
// ${XDG_DATA_HOME:-~/.local/share}/lantern-blade, where an installed game keeps the
// ranking files (and what else belongs beside them); empty when neither is set.
std::filesystem::path ScoresFolder();
// ${XDG_CACHE_HOME:-~/.cache}/lantern-blade, for what the game can make again; empty when
// neither is set.
std::filesystem::path CacheFolder();

// Makes the folder and its missing parents, readable by the user alone as the XDG rules
// ask; a folder of the user's own already there that others may read is made private
// too. False, with *failure naming the folder and why, when it cannot be made.
bool MakePrivateFolder(const std::filesystem::path& folder, std::string* failure);
