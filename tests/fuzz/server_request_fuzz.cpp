// The server's reading of what a request carries: the input is a header block
// ("Name: value" lines) and, after a blank line, the verifier's output as the server
// would read it (stdout, a 0xff byte, stderr). The header checks, the forwarded address,
// the ranking's limit, the escaping of the name and the verdict must each give an
// answer within their rules whatever the bytes.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "server/json.h"
#include "server/request_rules.h"
#include "server/verdict.h"

namespace {

// A JSON string as the escaper must make it: quoted, no raw control byte, no raw
// quote or backslash but escaped ones, no raw <, > or &.
bool StrictJsonString(const std::string& s) {
    if (s.size() < 2 || s.front() != '"' || s.back() != '"') return false;
    for (std::size_t i = 1; i + 1 < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == 0x7f || c == '"' || c == '<' || c == '>' || c == '&') return false;
        if (c == '\\') {
            const char next = s[++i];
            if (next == 'u') {
                i += 4;
                if (i + 1 >= s.size()) return false;
            } else if (next != '"' && next != '\\') {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t blank = input.find("\n\n");
    const std::string head = input.substr(0, blank);
    const std::string tail = blank == std::string::npos ? "" : input.substr(blank + 2);

    std::map<std::string, std::string> headers;
    for (std::size_t at = 0; at <= head.size();) {
        const std::size_t end = std::min(head.find('\n', at), head.size());
        const std::string line = head.substr(at, end - at);
        if (const std::size_t colon = line.find(": "); colon != std::string::npos) {
            headers[line.substr(0, colon)] = line.substr(colon + 2);
        }
        at = end + 1;
    }
    const auto header = [&](const char* name) { return headers.count(name) ? headers[name] : std::string(); };

    const std::optional<std::string> length =
        headers.count("Content-Length") ? std::optional(headers["Content-Length"]) : std::nullopt;
    const Refusal refusal = CheckSubmissionHeaders(header("Content-Encoding"), length, header("X-Player-Name"),
                                                   header("X-Player-Secret"));
    if (refusal.status != 0 && refusal.status != 400 && refusal.status != 413 && refusal.status != 415) std::abort();
    if (refusal.status == 0 && !ValidName(header("X-Player-Name"))) std::abort();
    if (length && refusal.status == 0 && *ParseLength(*length) > MAX_DEMO_BYTES) std::abort();

    const std::string address = ClientAddress(header("Peer"), header("Proxy"), header("X-Forwarded-For"));
    if (address.size() > std::max<std::size_t>(45, header("Peer").size())) std::abort();
    if (const auto limit = ParseLimit(header("Limit"), headers.count("Limit") > 0); limit && (*limit < 1 || *limit > 1000)) {
        std::abort();
    }
    if (!StrictJsonString(JsonString(header("X-Player-Name"))) || !StrictJsonString(JsonString(tail))) std::abort();
    if (HtmlText(tail).find_first_of("<>\"'") != std::string::npos) std::abort();

    const std::size_t split = tail.find('\xff');
    const std::string out = tail.substr(0, split);
    const std::string err = split == std::string::npos ? "" : tail.substr(split + 1);
    const int code = size > 0 ? data[0] % 4 : 0;
    const Verdict v = ReadVerdict(VerifierEnd{true, code, false}, out, err);
    if (v.kind == Verdict::Kind::Verified && (code != 0 || v.timeMs < 0 || v.score < 0)) std::abort();
    if (v.kind == Verdict::Kind::Refused && v.reason.empty()) std::abort();
    return 0;
}
