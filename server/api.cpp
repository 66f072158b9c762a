// The routes. A submission is checked in order of cost: its size and encoding from the
// headers, the name and secret, the rate limits, then the body, read with a cap so a
// body over the limit is refused before it is read whole; the name's owner is checked
// before the run is queued, and the 202 is sent only once the run is stored.
#include "server/api.h"

#include <httplib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "server/json.h"
#include "server/ranking_page.h"
#include "server/request_rules.h"
#include "server/runs.h"

namespace {

void Json(httplib::Response& res, int status, const std::string& body) {
    res.status = status;
    res.set_header("Cache-Control", "no-store");
    res.set_content(body, "application/json");
}

void Error(httplib::Response& res, int status, const std::string& reason) {
    Json(res, status, "{\"error\": " + JsonString(reason) + "}");
}

// A refusal that leaves the body unread also ends the connection, so what is left of the
// body is never read as a next request.
void Refuse(httplib::Response& res, int status, const std::string& reason) {
    Error(res, status, reason);
    res.set_header("Connection", "close");
}

std::string NumberOrNull(const std::optional<int>& n) { return n ? std::to_string(*n) : "null"; }

void Submit(Api& api, const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
    const std::string address =
        ClientAddress(req.remote_addr, api.settings.trustedProxy, req.get_header_value("X-Forwarded-For"));
    const std::string name = req.get_header_value("X-Player-Name");
    const std::string secret = req.get_header_value("X-Player-Secret");
    const std::optional<std::string> length =
        req.has_header("Content-Length") ? std::optional(req.get_header_value("Content-Length")) : std::nullopt;
    if (const Refusal r = CheckSubmissionHeaders(req.get_header_value("Content-Encoding"), length, name, secret);
        r.status != 0) {
        return Refuse(res, r.status, r.reason);
    }
    const std::int64_t now = NowMs();
    if (!api.byAddress.Allow(address, now)) return Refuse(res, 429, "rate limited: too many runs from this address");
    if (!api.byName.Allow(name, now)) return Refuse(res, 429, "rate limited: too many runs under this name");

    std::string demo;
    bool tooLarge = false;
    const bool read = reader([&](const char* data, std::size_t count) {
        if (demo.size() + count > MAX_DEMO_BYTES) {
            tooLarge = true;
            return false;
        }
        demo.append(data, count);
        return true;
    });
    if (tooLarge) return Refuse(res, 413, TOO_LARGE);
    if (!read) return Refuse(res, 400, "the body could not be read");
    if (demo.empty()) return Error(res, 400, "no demo in the body");

    // One transaction: one flush to disk a submission, and no name claimed for a run not stored.
    const std::string id = api.pool.Use([&](DbConnection& db) {
        return InTransaction(db, [&]() -> std::string {
            if (!ClaimName(db, name, secret, now)) return "";
            return AcceptRun(db, name, address, demo, now);
        });
    });
    if (id.empty()) return Error(res, 403, "the name " + name + " is held by another player");
    if (api.workers != nullptr) api.workers->Wake();
    Json(res, 202, "{\"id\": " + JsonString(id) + "}");
}

void ShowRun(Api& api, const std::string& id, httplib::Response& res) {
    const auto run = api.pool.Use([&](DbConnection& db) { return FindRun(db, id); });
    if (!run) return Error(res, 404, "no such run");
    Json(res, 200,
         "{\"id\": " + JsonString(run->id) + ", \"state\": " + JsonString(run->state) +
             ", \"name\": " + JsonString(run->name) + ", \"score\": " + NumberOrNull(run->score) +
             ", \"time_ms\": " + NumberOrNull(run->timeMs) +
             ", \"reason\": " + (run->state == "refused" ? JsonString(run->reason) : "null") +
             ", \"submitted\": " + JsonString(IsoTime(run->submittedMs)) + "}");
}

void ShowDemo(Api& api, const std::string& id, httplib::Response& res) {
    const auto demo = api.pool.Use([&](DbConnection& db) { return RunDemo(db, id); });
    if (!demo) return Error(res, 404, "no such run");
    res.set_header("Cache-Control", "public, max-age=86400, immutable");
    res.set_content(*demo, "application/octet-stream");
}

void ShowRanking(Api& api, const httplib::Request& req, httplib::Response& res) {
    const auto limit = ParseLimit(req.get_param_value("limit"), req.has_param("limit"));
    if (!limit) return Error(res, 400, "limit must be a whole number from 1 to 1000");
    const auto board = api.pool.Use([&](DbConnection& db) { return Ranking(db, *limit); });
    std::string body = "{\"entries\": [";
    for (const BoardEntry& e : board) {
        if (e.rank > 1) body += ", ";
        body += "{\"rank\": " + std::to_string(e.rank) + ", \"id\": " + JsonString(e.id) +
                ", \"name\": " + JsonString(e.name) + ", \"score\": " + std::to_string(e.score) +
                ", \"time_ms\": " + std::to_string(e.timeMs) + ", \"submitted\": " + JsonString(IsoTime(e.submittedMs)) +
                "}";
    }
    Json(res, 200, body + "]}");
}

// The browser game's policy, as docs/WEB.md gives it to hosts.
constexpr char SITE_POLICY[] =
    "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; img-src 'self'; "
    "media-src 'self' blob:; connect-src 'self'; worker-src 'self'; manifest-src 'self'; object-src 'none'; "
    "base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

// The site's files come with .gz twins. The HTTP library compresses text on the fly
// (the twin would be compressed again), but not the game's code and data: for those a
// browser that takes gzip gets the twin, a third of the bytes.
void ServeGzipTwin(const std::string& site, const httplib::Request& req, httplib::Response& res) {
    const std::string type = res.get_header_value("Content-Type");
    const bool compressedAnyway = type.rfind("text/", 0) == 0 || type.find("javascript") != std::string::npos ||
                                  type.find("json") != std::string::npos || type.find("xml") != std::string::npos;
    if (compressedAnyway || req.get_header_value("Accept-Encoding").find("gzip") == std::string::npos) return;
    std::string path = req.path.substr(std::strlen("/play"));
    if (path.empty() || path.back() == '/') path += "index.html";
    std::ifstream twin(site + path + ".gz", std::ios::binary);
    std::ostringstream bytes;
    bytes << twin.rdbuf();
    if (!twin || bytes.str().empty()) return;
    res.set_content(bytes.str(), type.c_str());
    res.set_header("Content-Encoding", "gzip");
    res.set_header("Vary", "Accept-Encoding");
}

}  // namespace

void AddRoutes(httplib::Server& server, Api& api) {
    server.set_payload_max_length(MAX_DEMO_BYTES);
    server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr failure) {
        std::string what = "unknown";
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
        }
        std::fprintf(stderr, "lantern-blade-server: a request failed: %s\n", what.c_str());
        Error(res, 500, "the server could not answer; try again later");
    });
    server.Post("/api/runs", [&api](const httplib::Request& req, httplib::Response& res,
                                    const httplib::ContentReader& reader) { Submit(api, req, res, reader); });
    server.Get(R"(/api/runs/([0-9a-f]{16}))",
               [&api](const httplib::Request& req, httplib::Response& res) { ShowRun(api, req.matches[1], res); });
    server.Get(R"(/api/runs/([0-9a-f]{16})/demo)",
               [&api](const httplib::Request& req, httplib::Response& res) { ShowDemo(api, req.matches[1], res); });
    server.Get("/api/ranking",
               [&api](const httplib::Request& req, httplib::Response& res) { ShowRanking(api, req, res); });
    server.Get("/", [&api](const httplib::Request&, httplib::Response& res) {
        const auto board = api.pool.Use([&](DbConnection& db) { return Ranking(db, 100); });
        res.set_header("Cache-Control", "no-store");
        res.set_header("Content-Security-Policy", "default-src 'none'; style-src 'self'; base-uri 'none'; "
                                                  "form-action 'none'; frame-ancestors 'none'");
        res.set_content(RankingPage(board), "text/html; charset=utf-8");
    });
    server.Get("/ranking.css", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Cache-Control", "no-cache");
        res.set_content(RANKING_STYLE, "text/css");
    });
    server.Get("/play", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/play/"); });
    if (!api.settings.site.empty()) {
        server.set_mount_point("/play", api.settings.site);
        server.set_file_extension_and_mimetype_mapping("webmanifest", "application/manifest+json");
        server.set_file_extension_and_mimetype_mapping("data", "application/octet-stream");
        server.set_file_request_handler([&api](const httplib::Request& req, httplib::Response& res) {
            res.set_header("Content-Security-Policy", SITE_POLICY);
            ServeGzipTwin(api.settings.site, req, res);
        });
    }
    server.set_default_headers({{"X-Content-Type-Options", "nosniff"}});
}
