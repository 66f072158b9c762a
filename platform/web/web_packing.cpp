// Packing in the browser: its own compression streams, whose "deflate" is the zlib format
// the desktop writes, so a file packed in one reads in the other. The streams only answer
// asynchronously; the game waits for them as for a sleep.
#include <emscripten.h>

#include <algorithm>

#include "platform/web/web_internal.h"

// Runs the bytes through the stream and keeps the result for lbTakePacked; its length, or
// -1 when the stream fails (damaged input, a browser without the streams) or gives more
// than `limit` bytes.
EM_ASYNC_JS(int, lbPackThrough, (int unpack, const std::uint8_t* data, int length, int limit), {
  Module.lbPacked = null;
  var chunks = [];
  var total = 0;
  try {
    var format = 'deflate';
    var reader = new Blob([HEAPU8.slice(data, data + length)]).stream()
      .pipeThrough(unpack ? new DecompressionStream(format) : new CompressionStream(format)).getReader();
    for (;;) {
      var chunk = await reader.read();
      if (chunk.done) break;
      total += chunk.value.length;
      if (total > limit) {
        reader.cancel();
        return -1;
      }
      chunks.push(chunk.value);
    }
  } catch (error) {
    return -1;
  }
  var bytes = new Uint8Array(total);
  var at = 0;
  chunks.forEach(function(piece) {
    bytes.set(piece, at);
    at += piece.length;
  });
  Module.lbPacked = bytes;
  return total;
});

EM_JS(void, lbTakePacked, (std::uint8_t* out), {
  HEAPU8.set(Module.lbPacked, out);
  Module.lbPacked = null;
});

// The browser's streams answer only asynchronously, so here the whole stream is unpacked
// at once, up to a bound no demo this game accepts comes near, and handed out in pieces.
struct Unpacker::State {
    std::vector<std::uint8_t> bytes;
    std::size_t given = 0;
    bool damaged = false;
};

namespace {

bool Pack(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>* packed) {
    const int size = static_cast<int>(bytes.size());
    // A stored stream (the worst case) adds a few bytes per 16 KB block.
    const int length = lbPackThrough(0, bytes.data(), size, size + size / 1024 + 64);
    if (length < 0) return false;
    packed->resize(static_cast<std::size_t>(length));
    lbTakePacked(packed->data());
    return true;
}

Unpacker::State* StartUnpacking(const std::uint8_t* packed, std::size_t packedLength) {
    constexpr int LIMIT = 64 << 20;
    auto* state = new Unpacker::State;
    const int length = lbPackThrough(1, packed, static_cast<int>(packedLength), LIMIT);
    state->damaged = length < 0;
    if (length > 0) {
        state->bytes.resize(static_cast<std::size_t>(length));
        lbTakePacked(state->bytes.data());
    }
    return state;
}

void EndUnpacking(Unpacker::State* state) {
    delete state;
}

long UnpackNext(Unpacker::State* state, std::uint8_t* out, std::size_t room) {
    if (state->damaged) return -1;
    const std::size_t count = std::min(room, state->bytes.size() - state->given);
    std::copy_n(state->bytes.data() + state->given, count, out);
    state->given += count;
    return static_cast<long>(count);
}

}  // namespace

const Packing web_backend::PACKING{Pack, StartUnpacking, UnpackNext, EndUnpacking};
