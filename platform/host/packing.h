// Byte buffers packed in the zlib format (deflate with its header and check), so a packed
// file written on one platform reads on every other: zlib itself on the desktop, the
// browser's own compression streams in the browser, chosen at start with the backend.
#pragma once

#include <cstddef>
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

    // What an unpacking under way keeps: the platform's own.
    struct State;

private:
    State* state_;
};

// A platform's packing: a whole buffer at once, and an unpacking started, read a piece at
// a time as Unpacker::Next says, and ended.
struct Packing {
    bool (*pack)(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>* packed);
    Unpacker::State* (*startUnpacking)(const std::uint8_t* packed, std::size_t packedLength);
    long (*unpackNext)(Unpacker::State* state, std::uint8_t* out, std::size_t room);
    void (*endUnpacking)(Unpacker::State* state);
};

void UsePacking(const Packing& packing);
