// The folder the takes are kept in: private to the user, rid of what renders that were
// killed left behind, and kept under a size, the takes played longest ago going first.
#pragma once

#include <cstdint>
#include <filesystem>

namespace music {

// Makes the folder (readable by the user alone), removes the partial takes of processes
// that have ended, and bounds the takes to `most` bytes. False when there is no folder.
bool PrepareTakeFolder(const std::filesystem::path& folder, std::uintmax_t most);
// Removes the takes played (or written) longest ago until the others fit in `most` bytes;
// the newest stays whatever its size. Only takes are counted and removed.
void BoundTakes(const std::filesystem::path& folder, std::uintmax_t most);

}  // namespace music
