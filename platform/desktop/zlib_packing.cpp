// Packing on the desktop: zlib at its best compression (the browser has its own,
// platform/web/web_packing.cpp).
#include <zlib.h>

#include <algorithm>
#include <limits>

#include "platform/desktop/desktop.h"

struct Unpacker::State {
    z_stream stream{};
    bool ended = false;
    bool damaged = false;
};

namespace {

bool Pack(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>* packed) {
    uLongf packedLength = compressBound(static_cast<uLong>(bytes.size()));
    packed->resize(packedLength);
    const int result =
        compress2(packed->data(), &packedLength, bytes.data(), static_cast<uLong>(bytes.size()), Z_BEST_COMPRESSION);
    packed->resize(packedLength);
    return result == Z_OK;
}

Unpacker::State* StartUnpacking(const std::uint8_t* packed, std::size_t packedLength) {
    auto* state = new Unpacker::State;
    state->stream.next_in = const_cast<Bytef*>(packed);
    state->stream.avail_in = static_cast<uInt>(std::min<std::size_t>(packedLength, std::numeric_limits<uInt>::max()));
    state->damaged = inflateInit(&state->stream) != Z_OK || packedLength != state->stream.avail_in;
    return state;
}

void EndUnpacking(Unpacker::State* state) {
    inflateEnd(&state->stream);
    delete state;
}

long UnpackNext(Unpacker::State* state, std::uint8_t* out, std::size_t room) {
    if (state->damaged) return -1;
    if (state->ended || room == 0) return 0;
    z_stream& stream = state->stream;
    stream.next_out = out;
    stream.avail_out = static_cast<uInt>(std::min<std::size_t>(room, 1u << 30));
    const uInt before = stream.avail_out;
    const int result = inflate(&stream, Z_NO_FLUSH);
    const long given = static_cast<long>(before - stream.avail_out);
    if (result == Z_STREAM_END) {
        state->ended = true;
        // Bytes after the packed stream's end make it another file than the one written.
        if (stream.avail_in != 0) state->damaged = true;
    } else if (result != Z_OK || (given == 0 && stream.avail_in == 0)) {
        state->damaged = true;
    }
    return state->damaged ? -1 : given;
}

}  // namespace

const Packing desktop::PACKING{Pack, StartUnpacking, UnpackNext, EndUnpacking};
