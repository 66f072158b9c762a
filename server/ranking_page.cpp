// The ranking page's HTML. Names are the players' own text: every one is escaped.
#include "server/ranking_page.h"

#include <ctime>

#include "server/json.h"

std::string IsoTime(std::int64_t ms) {
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

const char RANKING_STYLE[] =
    "body{font-family:sans-serif;background:#111;color:#eee;max-width:46em;margin:2em auto;padding:0 1em}\n"
    "a{color:#fc6}table{border-collapse:collapse;width:100%}\n"
    "td,th{padding:.3em .6em;text-align:left;border-bottom:1px solid #333}td.n{text-align:right}\n";

std::string RankingPage(const std::vector<BoardEntry>& board) {
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        "<title>Lantern Blade world ranking</title><link rel=\"stylesheet\" href=\"/ranking.css\">"
        "</head><body>\n<h1>Lantern Blade world ranking</h1>\n"
        "<p>Every run here was replayed by the server before it was ranked: the score is the replay's, not a "
        "claim. A demo proves the rules were kept, not that a person played: like every demo board, this one "
        "cannot tell a script from a hand.</p>\n"
        "<p><a href=\"/play/\">Play the game</a></p>\n";
    if (board.empty()) return html + "<p id=\"empty\">No runs yet.</p>\n</body></html>\n";
    html += "<table id=\"ranking\"><tr><th>Rank</th><th>Name</th><th>Score</th><th>Time</th><th>Sent</th><th></th></tr>\n";
    for (const BoardEntry& e : board) {
        char time[32];
        std::snprintf(time, sizeof time, "%d.%03d s", e.timeMs / 1000, e.timeMs % 1000);
        html += "<tr data-id=\"" + e.id + "\"><td class=\"n\">" + std::to_string(e.rank) + "</td><td>" +
                HtmlText(e.name) + "</td><td class=\"n\">" + std::to_string(e.score) + "</td><td class=\"n\">" +
                time + "</td><td>" + IsoTime(e.submittedMs) + "</td><td><a class=\"watch\" href=\"/play/#demo=/api/runs/" +
                e.id + "/demo\">Watch</a></td></tr>\n";
    }
    return html + "</table>\n</body></html>\n";
}
