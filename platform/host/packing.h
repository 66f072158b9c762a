// Byte buffers packed in the zlib format (deflate with its header and check), so a packed
// file written on one platform reads on every other: zlib itself on the desktop, the
// browser's own compression streams in the browser.
#pragma once

#include <cstdint>
#include <vector>

// False when the platform cannot pack (a browser without compression streams).
bool PackBytes(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>* packed);

// Unpacks a packed buffer a piece at a time, so that a long stream never sits in memory
// whole. The packed bytes must outlive it.
class Unpacker {
public:
    Unpacker(const std::uint8_t* packed, std::size_t packedLength);
    ~Unpacker();
    Unpacker(const Unpacker&) = delete;
    Unpacker& operator=(const Unpacker&) = delete;

    // Up to `room` more bytes into `out`: how many, 0 once the stream has ended, or -1
    // when the packed bytes are damaged, cut short or go on after the stream's end.
    long Next(std::uint8_t* out, std::size_t room);

private:
    struct State;
    State* state_;
};
