// Reads the verifier's answer. Exit 0 with a clear: verified with the last clear's time
// and score (the run's); 1 the replay differs; 2 not acceptable; anything else (a crash,
// a limit, the timeout) refuses the run too. A line from bubblewrap itself means the
// sandbox failed, and the run must wait for one that works.
#include "server/verdict.h"

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool IsHex16(const std::string& s) {
    if (s.size() != 16) return false;
    for (char c : s) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

Verdict Refused(std::string reason) {
    Verdict v;
    v.reason = std::move(reason);
    return v;
}

}  // namespace

Verdict ReadVerdict(const VerifierEnd& end, const std::string& out, const std::string& err) {
    std::string reason;
    for (const std::string& line : Lines(err)) {
        if (StartsWith(line, "bwrap: ")) {
            Verdict v;
            v.kind = Verdict::Kind::NoSandbox;
            v.reason = line;
            return v;
        }
        if (StartsWith(line, "lantern-blade: ")) reason = line.substr(15);
    }
    if (end.timedOut) return Refused("the replay took too long");
    if (!end.exited) return Refused("the replay stopped on signal " + std::to_string(end.code));

    bool cleared = false;
    Verdict verified;
    verified.kind = Verdict::Kind::Verified;
    std::string lastOther;
    for (const std::string& line : Lines(out)) {
        unsigned n = 0, timeMs = 0, score = 0;
        char tail = 0;
        // A clear's line as the game prints it; a number past what a play time or score can
        // be (sscanf saturates what overflows) is not a clear.
        if (std::sscanf(line.c_str(), "clear %u: play time %u ms, score %u%c", &n, &timeMs, &score, &tail) == 3 &&
            timeMs <= INT32_MAX && score <= 6000) {
            cleared = true;
            verified.timeMs = static_cast<int>(timeMs);
            verified.score = static_cast<int>(score);
        } else if (StartsWith(line, "inputs: ") && IsHex16(line.substr(8))) {
            verified.inputs = line.substr(8);
        } else if (!line.empty() && !StartsWith(line, "player: ") && !StartsWith(line, "date: ")) {
            lastOther = line;
        }
    }
    if (reason.empty()) reason = lastOther;
    switch (end.code) {
        case 0:
            return cleared ? verified : Refused("no clear");
        case 1:
            return Refused(reason.empty() ? "the replay differs from the run" : reason);
        case 2:
            return Refused(reason.empty() ? "not an acceptable demo" : reason);
        default:
            return Refused("the replay failed (exit " + std::to_string(end.code) + ")");
    }
}
