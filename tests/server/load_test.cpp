// A bounded load: 200 submissions at once to loopback, from as many 127.0.0.0/8
// addresses, the server killed with SIGKILL halfway and started again on the same
// database. Every accepted run ends verified or refused, none is lost, none is ranked
// twice. Prints the answer times and the verification rate (figures, not assertions).
#include <algorithm>
#include <chrono>
#include <regex>
#include <set>
#include <thread>

#include "tests/server/hostile_demos.h"
#include "tests/server/server_fixture.h"

namespace servertest {
namespace {

using Clock = std::chrono::steady_clock;
using Load = ServerTest;

struct Sent {
    int status = 0;
    std::string id;
    double ms = 0;
};

// count submissions at once, the i-th from its own address under its own name.
std::vector<Sent> Burst(int port, const std::string& demo, int first, int count) {
    std::vector<Sent> sent(static_cast<std::size_t>(count));
    std::vector<std::thread> threads;
    for (int k = 0; k < count; ++k) {
        threads.emplace_back([&, k] {
            const int i = first + k;
            const std::string from = "127.1." + std::to_string(i / 200) + "." + std::to_string(i % 200 + 1);
            const auto start = Clock::now();
            const Answer a = Submit(port, demo, "load-" + std::to_string(i), "secret-for-load-run-" + std::to_string(i),
                                    from);
            Sent& s = sent[static_cast<std::size_t>(k)];
            s.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            s.status = a.status;
            s.id = Field(a.body, "id");
        });
    }
    for (std::thread& t : threads) t.join();
    return sent;
}

int Finished(int port, const std::vector<Sent>& runs) {
    int finished = 0;
    for (const Sent& s : runs) {
        const std::string state = Field(Request(port, "GET", "/api/runs/" + s.id).body, "state");
        finished += state == "verified" || state == "refused";
    }
    return finished;
}

TEST_P(Load, TwoHundredAtOnceKilledHalfwayNoneLostNoneTwice) {
    const std::vector<std::string> options = {"--workers", "2", "--lease-seconds", "3", "--timeout-seconds", "20"};
    LB_START_SERVER(server, options);
    const std::string golden = GoldenDemo();

    std::vector<Sent> runs = Burst(server->Port(), golden, 0, 100);
    // Polled at a gentle pace: every poll asks after each run.
    for (int i = 0; i < 60 && Finished(server->Port(), runs) < 10; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    server->Kill();
    server = Start(options);
    ASSERT_NE(server, nullptr);
    const int port = server->Port();
    const int doneBefore = Finished(port, runs);
    const auto restarted = Clock::now();
    const std::vector<Sent> second = Burst(port, golden, 100, 100);
    runs.insert(runs.end(), second.begin(), second.end());

    std::set<std::string> accepted;
    for (const Sent& s : runs) {
        ASSERT_EQ(s.status, 202) << "every address and name is within its limits";
        accepted.insert(s.id);
    }
    ASSERT_EQ(accepted.size(), 200u);
    int done = doneBefore;
    for (int i = 0; i < 480 && (done = Finished(port, runs)) < 200; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - restarted).count();
    EXPECT_EQ(done, 200) << "runs still queued after the restart";

    const std::string board = Request(port, "GET", "/api/ranking?limit=1000").body;
    const std::regex entry("\"id\": \"([0-9a-f]{16})\", \"name\": \"([^\"]*)\"");
    std::set<std::string> ids, names;
    int entries = 0;
    for (auto it = std::sregex_iterator(board.begin(), board.end(), entry); it != std::sregex_iterator(); ++it) {
        ++entries;
        EXPECT_TRUE(accepted.count((*it)[1])) << (*it)[1];
        ids.insert((*it)[1]);
        names.insert((*it)[2]);
    }
    EXPECT_GT(entries, 0);
    EXPECT_EQ(ids.size(), static_cast<std::size_t>(entries)) << "a run ranked twice";
    EXPECT_EQ(names.size(), static_cast<std::size_t>(entries)) << "a name ranked twice";

    std::vector<double> ms;
    for (const Sent& s : runs) ms.push_back(s.ms);
    std::sort(ms.begin(), ms.end());
    std::printf("%s: answers p50 %.1f ms, p99 %.1f ms; %d runs finished after the restart in %.1f s: %.2f a second; "
                "%d ranked; server peak %ld kB\n",
                GetParam().c_str(), ms[ms.size() / 2], ms[ms.size() * 99 / 100], 200 - doneBefore, seconds,
                (200 - doneBefore) / seconds, entries, server->PeakKb());
}

INSTANTIATE_TEST_SUITE_P(Databases, Load, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& param) { return param.param; });

}  // namespace
}  // namespace servertest
