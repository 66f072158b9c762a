// Byte buffers packed in the zlib format (deflate with its header and check), so a packed
// file written on one platform reads on every other: zlib itself on the desktop, the
// browser's own compression streams in the browser.
#pragma once

#include <cstdint>
#include <vector>

// False when the platform cannot pack (a browser without compression streams).
bool PackBytes(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>* packed);

// Fills *bytes (already sized to the length the packer was given) from `packed`; false
// when `packed` is damaged or does not unpack to exactly that many bytes.
bool UnpackBytes(const std::uint8_t* packed, std::size_t packedLength, std::vector<std::uint8_t>* bytes);
