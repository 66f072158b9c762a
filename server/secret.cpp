// Secrets and identifiers through OpenSSL's libcrypto.
#include "server/secret.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>
#include <vector>

namespace {

std::string Hex(const unsigned char* bytes, std::size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 15];
    }
    return hex;
}

}  // namespace

std::string RandomHex(int byteCount) {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(byteCount));
    if (RAND_bytes(bytes.data(), byteCount) != 1) throw std::runtime_error("no random bytes to be had");
    return Hex(bytes.data(), bytes.size());
}

std::string HashSecret(const std::string& salt, const std::string& secret) {
    const std::string input = salt + '\n' + secret;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(input.data(), input.size(), digest, &length, EVP_sha256(), nullptr) != 1) {
        throw std::runtime_error("SHA-256 failed");
    }
    return Hex(digest, length);
}

bool SameSecretHash(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}
