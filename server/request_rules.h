// The checks on what a request carries, apart from the HTTP library so that they can be
// tested and fuzzed alone: names, secrets, run ids, the ranking's limit, the demo's
// size, and the address a request counts against.
#pragma once

#include <optional>
#include <string>

constexpr std::size_t MAX_DEMO_BYTES = 64 * 1024;
constexpr const char* TOO_LARGE = "too large: a demo is at most 65536 bytes";

// 1 to 16 printable ASCII characters.
bool ValidName(const std::string& name);
// 16 to 128 printable ASCII characters without spaces.
bool ValidSecret(const std::string& secret);
// A run id as the server makes them: 16 lowercase hex digits.
bool ValidRunId(const std::string& id);
// The ranking's limit: absent gives 100; a whole number from 1 to 1000, else nullopt.
std::optional<int> ParseLimit(const std::string& text, bool present);
// A Content-Length header: nullopt unless it is all digits (and not absurdly long).
std::optional<unsigned long long> ParseLength(const std::string& text);
// Why a submission is refused from its headers alone, in order of cost: a content
// encoding (415), a bad or too large Content-Length (400, 413), a bad name or secret
// (400). Status 0 when the headers pass.
struct Refusal {
    int status = 0;
    std::string reason;
};
Refusal CheckSubmissionHeaders(const std::string& encoding, const std::optional<std::string>& length,
                               const std::string& name, const std::string& secret);
// The address a request is counted against: the peer, unless the peer is the trusted
// proxy and says whom it forwards for (the last X-Forwarded-For entry, the one it added).
std::string ClientAddress(const std::string& peer, const std::string& trustedProxy, const std::string& forwardedFor);
