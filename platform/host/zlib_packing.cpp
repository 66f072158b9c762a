// Packing on the desktop: zlib at its best compression (the browser has its own,
// platform/web/web_packing.cpp).
#include "platform/host/packing.h"

#include <zlib.h>

bool PackBytes(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>* packed) {
    uLongf packedLength = compressBound(static_cast<uLong>(bytes.size()));
    packed->resize(packedLength);
    const int result =
        compress2(packed->data(), &packedLength, bytes.data(), static_cast<uLong>(bytes.size()), Z_BEST_COMPRESSION);
    packed->resize(packedLength);
    return result == Z_OK;
}

bool UnpackBytes(const std::uint8_t* packed, std::size_t packedLength, std::vector<std::uint8_t>* bytes) {
    uLongf length = static_cast<uLongf>(bytes->size());
    return uncompress(bytes->data(), &length, packed, static_cast<uLong>(packedLength)) == Z_OK &&
           length == bytes->size();
}
