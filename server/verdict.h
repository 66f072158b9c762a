// What a sandboxed replay said about a run, read from the verifier's exit and output.
#pragma once

#include <string>

struct Verdict {
    enum class Kind { Verified, Refused, NoSandbox } kind = Kind::Refused;
    int score = 0;
    int timeMs = 0;
    std::string reason;  // why it was refused
    std::string inputs;  // the digest of the run's inputs, when the verifier gives one
};

// How the verifier process ended: its exit code, or the signal that stopped it (the CPU
// limit, the wall-clock timeout's kill, a crash).
struct VerifierEnd {
    bool exited = true;
    int code = 0;  // exit code, or the signal
    bool timedOut = false;
};

Verdict ReadVerdict(const VerifierEnd& end, const std::string& out, const std::string& err);
