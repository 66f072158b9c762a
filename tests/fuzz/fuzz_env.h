// What every fuzz target shares: the game started once, headless, in a scratch working
// directory of its own, so each input can be written there as the file the game reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Starts the game on first use; every call resets it to its state at start.
// With `shippedData`, the game's own data is copied into the scratch folder first.
void Prepare(bool shippedData = false);
// Writes the bytes as a file under the scratch directory (its folder must exist).
void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size);

}  // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
