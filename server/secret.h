// Random identifiers and the salted hash a player's secret is kept as (OpenSSL's
// SHA-256 and random bytes): the server never stores a secret itself.
#pragma once

#include <string>

// byteCount random bytes from the system's generator, as lowercase hex.
std::string RandomHex(int byteCount);
// SHA-256 over the salt, a separator and the secret, as lowercase hex.
std::string HashSecret(const std::string& salt, const std::string& secret);
// Compares two strings in time that depends only on their lengths.
bool SameSecretHash(const std::string& a, const std::string& b);
