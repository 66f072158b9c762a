// The desktop game's side of a world ranking server: a run's demo sent under the
// player's name and secret, and the server asked for its verdict. Plain HTTP or HTTPS
// through cpp-httplib; nothing is sent unless the player set a server.
#pragma once

#include <string>

struct SendResult {
    // Accepted: queued under `id`. Refused: the server said no (a 4xx other than a rate
    // limit), sending it again would not help. Failed: no answer, a server error or a
    // rate limit: worth sending again later.
    enum class Outcome { Accepted, Refused, Failed } outcome = Outcome::Failed;
    std::string id;
    std::string message;  // the server's reason, or why it could not be reached
};

SendResult SendRun(const std::string& server, const std::string& name, const std::string& secret,
                   const std::string& demo);

struct RunVerdict {
    bool answered = false;
    std::string state;  // queued, verified, refused
    std::string score, timeMs, reason;
};

RunVerdict AskVerdict(const std::string& server, const std::string& id);

// A field of a flat JSON object as text: a string's contents (escapes undone, \u
// escapes as their ASCII or '?'), a number or literal as written; empty when absent.
std::string JsonField(const std::string& json, const std::string& name);

// Whether a server setting is usable: an http:// or https:// URL with a host.
bool ValidServerUrl(const std::string& url);
