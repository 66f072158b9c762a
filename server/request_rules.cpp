// The request checks.
#include "server/request_rules.h"

namespace {

bool Printable(char c) { return c >= 0x20 && c <= 0x7e; }

std::string Trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool ValidName(const std::string& name) {
    if (name.empty() || name.size() > 16) return false;
    for (char c : name) {
        if (!Printable(c)) return false;
    }
    return true;
}

bool ValidSecret(const std::string& secret) {
    if (secret.size() < 16 || secret.size() > 128) return false;
    for (char c : secret) {
        if (!Printable(c) || c == ' ') return false;
    }
    return true;
}

bool ValidRunId(const std::string& id) {
    if (id.size() != 16) return false;
    for (char c : id) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

std::optional<int> ParseLimit(const std::string& text, bool present) {
    if (!present) return 100;
    if (text.empty() || text.size() > 4) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 1000) return std::nullopt;
    return value;
}

std::optional<unsigned long long> ParseLength(const std::string& text) {
    const std::string t = Trimmed(text);
    if (t.empty() || t.size() > 18) return std::nullopt;
    unsigned long long value = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned long long>(c - '0');
    }
    return value;
}

std::string ClientAddress(const std::string& peer, const std::string& trustedProxy, const std::string& forwardedFor) {
    if (trustedProxy.empty() || peer != trustedProxy) return peer;
    const auto comma = forwardedFor.rfind(',');
    const std::string last = Trimmed(comma == std::string::npos ? forwardedFor : forwardedFor.substr(comma + 1));
    if (last.empty() || last.size() > 45) return peer;
    for (char c : last) {
        const bool addressChar = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') ||
                                 c == '.' || c == ':';
        if (!addressChar) return peer;
    }
    return last;
}

Refusal CheckSubmissionHeaders(const std::string& encoding, const std::optional<std::string>& length,
                               const std::string& name, const std::string& secret) {
    if (!encoding.empty() && encoding != "identity") {
        return {415, "a demo is sent as it is, without a content encoding"};
    }
    if (length) {
        const auto bytes = ParseLength(*length);
        if (!bytes) return {400, "a bad Content-Length"};
        if (*bytes > MAX_DEMO_BYTES) return {413, TOO_LARGE};
    }
    if (!ValidName(name)) return {400, "bad name: 1 to 16 printable ASCII characters"};
    if (!ValidSecret(secret)) return {400, "bad secret: 16 to 128 printable ASCII characters"};
    return {};
}
