// The server binary end to end on 127.0.0.1, once over SQLite and once over a throwaway
// PostgreSQL cluster: the golden run verified and ranked under its name, hostile demos
// refused with reasons, names held by their first secret, players' text stored as text,
// bodies over the limit refused, and the server's memory small throughout.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/server/hostile_demos.h"
#include "tests/server/server_fixture.h"

namespace servertest {
namespace {

const std::string SECRET_A = "secret-of-the-golden-player-0001";
const std::string SECRET_B = "secret-of-somebody-else-00000002";

using EndToEnd = ServerTest;

std::string Id(const Answer& a) { return Field(a.body, "id"); }

TEST_P(EndToEnd, GoldenRankedHostileRefusedNamesHeld) {
    LB_START_SERVER(server, {"--workers", "2", "--timeout-seconds", "20"});
    const int port = server->Port();

    const Answer golden = Submit(port, GoldenDemo(), "golden", SECRET_A);
    ASSERT_EQ(golden.status, 202) << golden.body;
    std::vector<std::pair<std::string, std::string>> hostile;
    for (const auto& [name, bytes] : HostileDemos()) {
        const Answer a = Submit(port, bytes, name, SECRET_A);
        ASSERT_EQ(a.status, 202) << name << ": " << a.body;
        hostile.emplace_back(name, Id(a));
    }
    // Checked at once, before anything is queued.
    const Answer stolen = Submit(port, GoldenDemo(), "golden", SECRET_B);
    EXPECT_EQ(stolen.status, 403) << stolen.body;
    EXPECT_NE(Field(stolen.body, "error").find("held by another"), std::string::npos);

    const std::string sneaky = "x' OR 1=1; --";
    const Answer injected = Submit(port, GoldenDemo(), sneaky, SECRET_B);
    ASSERT_EQ(injected.status, 202) << injected.body;

    ASSERT_EQ(server->Settle(Id(golden), 60), "verified") << test::ReadFile(Log());
    const std::string run = Request(port, "GET", "/api/runs/" + Id(golden)).body;
    EXPECT_EQ(Field(run, "name"), "golden");
    EXPECT_EQ(Field(run, "score"), "3439");
    EXPECT_EQ(Field(run, "time_ms"), "2561");
    EXPECT_EQ(Field(run, "reason"), "null");
    EXPECT_EQ(Request(port, "GET", "/api/runs/" + Id(golden) + "/demo").body, GoldenDemo());

    // Each refused with a reason; a cut file is no demo, a renamed copy a duplicate.
    const std::map<std::string, std::string> reasons = {{"cut-file", "not a readable demo"}, {"renamed-copy", "duplicate"}};
    for (const auto& [name, id] : hostile) {
        EXPECT_EQ(server->Settle(id, 60), "refused") << name;
        const std::string answer = Request(port, "GET", "/api/runs/" + id).body;
        const std::string reason = Field(answer, "reason");
        EXPECT_FALSE(reason.empty() || reason == "null") << name;
        EXPECT_NE(reason.find(reasons.contains(name) ? reasons.at(name) : ""), std::string::npos) << reason;
        EXPECT_EQ(Field(answer, "score"), "null") << name;
        std::printf("%s refused: %s\n", name.c_str(), reason.c_str());
    }

    // The name went in as text: the run carries it whole and nothing else changed. Its
    // run is the golden one again: a duplicate.
    EXPECT_EQ(server->Settle(Id(injected), 60), "refused");
    const std::string injectedRun = Request(port, "GET", "/api/runs/" + Id(injected)).body;
    EXPECT_NE(Field(injectedRun, "reason").find("duplicate"), std::string::npos);
    EXPECT_EQ(Field(injectedRun, "name"), sneaky);
    const std::string board = Request(port, "GET", "/api/ranking?limit=10").body;
    EXPECT_EQ(Field(board, "name"), "golden") << board;
    EXPECT_EQ(Field(board, "score"), "3439");
    EXPECT_EQ(Field(board, "rank"), "1");
    EXPECT_EQ(Submit(port, GoldenDemo(), "golden", SECRET_B).status, 403);
    const std::string page = Request(port, "GET", "/").body;
    EXPECT_NE(page.find("/play/#demo=/api/runs/" + Id(golden) + "/demo"), std::string::npos);
    EXPECT_NE(page.find("not that a person played"), std::string::npos);
    EXPECT_EQ(page.find(sneaky), std::string::npos) << "a name must be escaped in the page";

    // Taken off the board by the admin command, beside the running server.
    e2e::Process remove({LB_BINARY_DIR "/lantern-blade-server", "--database", Database(), "--remove", Id(golden)},
                        Log());
    ASSERT_EQ(remove.Wait(std::chrono::seconds(30)), 0) << test::ReadFile(Log());
    const std::string removed = Request(port, "GET", "/api/runs/" + Id(golden)).body;
    EXPECT_EQ(Field(removed, "state"), "refused");
    EXPECT_EQ(Field(removed, "reason"), "taken off the board");
    EXPECT_EQ(Request(port, "GET", "/api/ranking").body.find(Id(golden)), std::string::npos);
    e2e::Process unknown({LB_BINARY_DIR "/lantern-blade-server", "--database", Database(), "--remove", "0123456789abcdef"},
                         Log());
    EXPECT_EQ(unknown.Wait(std::chrono::seconds(30)), 1);

    std::printf("server peak resident memory: %ld kB\n", server->PeakKb());
    EXPECT_GT(server->PeakKb(), 0);
    EXPECT_LT(server->PeakKb(), 300 * 1024);
}

TEST_P(EndToEnd, BadRequestsAreRefusedWithReasons) {
    LB_START_SERVER(server, {"--workers", "1", "--per-address", "4"});
    const int port = server->Port();

    EXPECT_EQ(Submit(port, std::string(70000, 'x'), "big", SECRET_A, "127.0.0.2").status, 413);
    EXPECT_EQ(Submit(port, GoldenDemo(), "", SECRET_A, "127.0.0.3").status, 400);
    EXPECT_EQ(Submit(port, GoldenDemo(), std::string(17, 'n'), SECRET_A, "127.0.0.3").status, 400);
    EXPECT_EQ(Submit(port, GoldenDemo(), "short", "too-short", "127.0.0.3").status, 400);
    EXPECT_EQ(Submit(port, "", "empty", SECRET_A, "127.0.0.3").status, 400);
    const Answer packed = Request(port, "POST", "/api/runs",
                                  {{"Content-Encoding", "gzip"}, {"X-Player-Name", "gz"}, {"X-Player-Secret", SECRET_A}},
                                  "\x1f\x8b", "127.0.0.4");
    EXPECT_EQ(packed.status, 415);
    // A body sent in chunks has no length to refuse up front: it is cut off at the limit.
    const std::string chunk(40000, 'c');
    char size[16];
    std::snprintf(size, sizeof size, "%zx\r\n", chunk.size());
    const std::string chunked = std::string(size) + chunk + "\r\n" + size + chunk + "\r\n0\r\n\r\n";
    const Answer a = Request(port, "POST", "/api/runs",
                             {{"Transfer-Encoding", "chunked"}, {"X-Player-Name", "chunks"}, {"X-Player-Secret", SECRET_A}},
                             chunked, "127.0.0.5");
    EXPECT_EQ(a.status, 413) << a.body;

    // Four a minute from one address; another address is not held up.
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Submit(port, "x", "rate", SECRET_A, "127.0.0.6").status, 202);
    const Answer limited = Submit(port, "x", "rate", SECRET_A, "127.0.0.6");
    EXPECT_EQ(limited.status, 429);
    EXPECT_NE(Field(limited.body, "error").find("rate limited"), std::string::npos);
    EXPECT_EQ(Submit(port, "x", "rate2", SECRET_A, "127.0.0.7").status, 202);

    EXPECT_EQ(Request(port, "GET", "/api/runs/0123456789abcdef").status, 404);
    EXPECT_EQ(Request(port, "GET", "/api/runs/nonsense").status, 404);
    EXPECT_EQ(Request(port, "GET", "/api/ranking?limit=0").status, 400);
    EXPECT_EQ(Request(port, "GET", "/api/ranking?limit=abc").status, 400);
    EXPECT_EQ(Field(Request(port, "GET", "/api/ranking").body, "entries"), "[]");
}

// The browser game is served under /play/, the game's code and data as their .gz twins
// to a browser that takes gzip; nothing outside the site is reached.
TEST_P(EndToEnd, TheSiteIsServedWithItsTwins) {
    const std::filesystem::path site = dir_.Path() / "site";
    std::filesystem::create_directories(site);
    test::WriteFile((site / "index.html").string(), "<!DOCTYPE html><title>game</title>");
    test::WriteFile((site / "game.wasm").string(), "wasm-the-game");
    test::WriteFile((site / "game.wasm.gz").string(), "twin-of-the-game");
    test::WriteFile((dir_.Path() / "secret.txt").string(), "outside");
    LB_START_SERVER(server, {"--workers", "1", "--site", site.string()});
    const int port = server->Port();
    EXPECT_EQ(Request(port, "GET", "/play/").body, "<!DOCTYPE html><title>game</title>");
    EXPECT_EQ(Request(port, "GET", "/play/game.wasm").body, "wasm-the-game");
    EXPECT_EQ(Request(port, "GET", "/play/game.wasm", {{"Accept-Encoding", "gzip, deflate"}}).body, "twin-of-the-game");
    EXPECT_NE(Request(port, "GET", "/play/../secret.txt").body, "outside");
    EXPECT_NE(Request(port, "GET", "/play/%2e%2e/secret.txt").body, "outside");
}

INSTANTIATE_TEST_SUITE_P(Databases, EndToEnd, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& param) { return param.param; });

}  // namespace
}  // namespace servertest
