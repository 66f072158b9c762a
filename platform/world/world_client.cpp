// The HTTP exchanges with the server.
#include "platform/world/world_client.h"

#include <httplib.h>

namespace {

constexpr int TIMEOUT_SECONDS = 15;

httplib::Client Connect(const std::string& server) {
    std::string base = server;
    while (!base.empty() && base.back() == '/') base.pop_back();
    httplib::Client client(base);
    client.set_connection_timeout(TIMEOUT_SECONDS, 0);
    client.set_read_timeout(TIMEOUT_SECONDS, 0);
    client.set_write_timeout(TIMEOUT_SECONDS, 0);
    return client;
}

}  // namespace

bool ValidServerUrl(const std::string& url) {
    for (const char* scheme : {"http://", "https://"}) {
        const std::size_t length = std::char_traits<char>::length(scheme);
        if (url.rfind(scheme, 0) == 0 && url.size() > length && url[length] != '/') {
            for (char c : url) {
                if (c <= 0x20 || c >= 0x7f) return false;
            }
            return true;
        }
    }
    return false;
}

std::string JsonField(const std::string& json, const std::string& name) {
    const std::string key = "\"" + name + "\"";
    std::size_t at = json.find(key);
    if (at == std::string::npos) return "";
    at = json.find_first_not_of(" \t\r\n", at + key.size());
    if (at == std::string::npos || json[at] != ':') return "";
    at = json.find_first_not_of(" \t\r\n", at + 1);
    if (at == std::string::npos) return "";
    if (json[at] != '"') {
        const std::size_t end = json.find_first_of(",} \t\r\n", at);
        return json.substr(at, end == std::string::npos ? std::string::npos : end - at);
    }
    std::string text;
    for (std::size_t i = at + 1; i < json.size() && json[i] != '"'; ++i) {
        if (json[i] != '\\' || i + 1 >= json.size()) {
            text += json[i];
            continue;
        }
        const char escaped = json[++i];
        if (escaped == 'u' && i + 4 < json.size()) {
            const unsigned code = static_cast<unsigned>(std::strtoul(json.substr(i + 1, 4).c_str(), nullptr, 16));
            text += code >= 0x20 && code < 0x7f ? static_cast<char>(code) : '?';
            i += 4;
        } else {
            text += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
        }
    }
    return text;
}

SendResult SendRun(const std::string& server, const std::string& name, const std::string& secret,
                   const std::string& demo) {
    SendResult result;
    httplib::Client client = Connect(server);
    const httplib::Headers headers = {{"X-Player-Name", name}, {"X-Player-Secret", secret}};
    const auto answer = client.Post("/api/runs", headers, demo, "application/octet-stream");
    if (!answer) {
        result.message = "no answer from " + server + " (" + httplib::to_string(answer.error()) + ")";
        return result;
    }
    const int status = answer->status;
    if (status == 202) {
        result.outcome = SendResult::Outcome::Accepted;
        result.id = JsonField(answer->body, "id");
        return result;
    }
    result.message = JsonField(answer->body, "error");
    if (result.message.empty()) result.message = "the server answered " + std::to_string(status);
    if (status >= 400 && status < 500 && status != 429 && status != 408) result.outcome = SendResult::Outcome::Refused;
    return result;
}

RunVerdict AskVerdict(const std::string& server, const std::string& id) {
    RunVerdict verdict;
    httplib::Client client = Connect(server);
    const auto answer = client.Get("/api/runs/" + id);
    if (!answer || answer->status != 200) return verdict;
    verdict.answered = true;
    verdict.state = JsonField(answer->body, "state");
    verdict.score = JsonField(answer->body, "score");
    verdict.timeMs = JsonField(answer->body, "time_ms");
    verdict.reason = JsonField(answer->body, "reason");
    return verdict;
}
