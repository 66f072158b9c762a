// The desktop game's --submit against the real server: nothing without a server and a
// name set, the golden run verified, the secret made once and kept in a file only its
// owner reads, a refusal said, a run that found no server kept and sent with the next.
#include <httplib.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <tuple>

#include "platform/policy/settings.h"
#include "platform/world/world_client.h"
#include "tests/server/hostile_demos.h"
#include "tests/server/server_fixture.h"

namespace servertest {
namespace {

using Client = ServerTest;

class Desktop {
public:
    explicit Desktop(const std::filesystem::path& home) : home_(home) {
        std::filesystem::create_directories(home_ / "config" / "lantern-blade");
        ::setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home_ / "data").c_str(), 1);
    }
    void Settings(const std::string& text) const { std::ofstream(SettingsFile()) << text; }
    std::string SettingsFile() const { return (home_ / "config" / "lantern-blade" / "settings.ini").string(); }
    std::filesystem::path Outbox() const { return home_ / "data" / "lantern-blade" / "outbox"; }
    // Runs `lantern-blade --submit FILE`; its exit code, its output in *output.
    int Submit(const std::string& demo, std::string* output) const {
        const std::string file = (home_ / "run.lbdemo").string();
        std::ofstream(file, std::ios::binary) << demo;
        const std::string log = (home_ / "submit.log").string();
        std::filesystem::remove(log);
        e2e::Process game({LB_BINARY_DIR "/lantern-blade", "--submit", file}, log);
        const int code = game.Wait(std::chrono::seconds(120));
        *output = test::ReadFile(log);
        return code;
    }

private:
    std::filesystem::path home_;
};

TEST_P(Client, SubmitSendsOnlyWhenSetKeepsTheSecretAndResendsWhatFailed) {
    LB_START_SERVER(server, {"--workers", "1"});
    const Desktop desktop(dir_.Path() / "home");
    std::string output;

    EXPECT_EQ(desktop.Submit(GoldenDemo(), &output), 2);
    EXPECT_NE(output.find("no world ranking server is set"), std::string::npos) << output;
    const auto serverLine = [&server] { return "server=http://127.0.0.1:" + std::to_string(server->Port()) + "\n"; };
    desktop.Settings(serverLine());
    EXPECT_EQ(desktop.Submit(GoldenDemo(), &output), 2);
    EXPECT_NE(output.find("add name="), std::string::npos) << output;

    desktop.Settings(serverLine() + "name=desk\n");
    EXPECT_EQ(desktop.Submit("", &output), 2);
    EXPECT_NE(output.find("is empty or missing"), std::string::npos) << output;
    EXPECT_EQ(desktop.Submit(std::string(64 * 1024 + 1, 'x'), &output), 2);
    EXPECT_NE(output.find("is over 64 KB"), std::string::npos) << output;
    ASSERT_EQ(desktop.Submit(GoldenDemo(), &output), 0) << output;
    EXPECT_NE(output.find("verified: score 3439"), std::string::npos) << output;
    const std::string settings = test::ReadFile(desktop.SettingsFile());
    const auto at = settings.find("secret=");
    ASSERT_NE(at, std::string::npos) << settings;
    const std::string secret = settings.substr(at, settings.find('\n', at) - at);
    struct stat info {};
    ASSERT_EQ(::stat(desktop.SettingsFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // The same secret holds the name again; a refusal says why.
    EXPECT_EQ(desktop.Submit(HostileDemos()[0].second, &output), 1) << output;
    EXPECT_NE(output.find("refused: the demo differs"), std::string::npos) << output;
    EXPECT_NE(test::ReadFile(desktop.SettingsFile()).find(secret), std::string::npos) << "the secret is made once";

    // No server to answer: kept, and sent first once one answers.
    server->Kill();
    EXPECT_EQ(desktop.Submit(GoldenDemo(), &output), 2);
    EXPECT_NE(output.find("the run is kept"), std::string::npos) << output;
    EXPECT_EQ(test::Names(desktop.Outbox()).size(), 1u);
    server = Start({"--workers", "1"});
    ASSERT_NE(server, nullptr);
    desktop.Settings(serverLine() + "name=desk\n" + secret + "\n");
    desktop.Submit(HostileDemos()[0].second, &output);
    EXPECT_NE(output.find("a kept run was sent"), std::string::npos) << output;
    EXPECT_EQ(test::Names(desktop.Outbox()).size(), 0u);
}

// A secret made by a run sent while the game plays survives the game saving its own
// settings, which never knew it; the file stays the player's alone.
TEST(WorldClient, TheGameSavingItsSettingsKeepsASecretMadeMeanwhile) {
    test::ScratchDir dir;
    const Desktop desktop(dir.Path());
    desktop.Settings("server=http://127.0.0.1:1\nname=desk\n");
    Settings game = LoadSettings();
    Settings sender = game;
    sender.secret = "a-secret-made-by-the-sender-0001";
    SaveSettings(sender);
    game.musicVolume = 40;
    SaveSettings(game);
    const Settings now = LoadSettings();
    EXPECT_EQ(now.secret, sender.secret);
    EXPECT_EQ(now.musicVolume, 40);
    EXPECT_EQ(now.name, "desk");
    struct stat info {};
    ASSERT_EQ(::stat(desktop.SettingsFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(WorldClient, ReadsTheServersAnswersAndUrls) {
    EXPECT_EQ(JsonField("{\"id\": \"0123456789abcdef\"}", "id"), "0123456789abcdef");
    EXPECT_EQ(JsonField("{\"error\": \"the name \\\"x\\u0027\\\" \\u003cis\\u003e held\"}", "error"),
              "the name \"x'\" <is> held");
    EXPECT_EQ(JsonField("{\"score\": 3439, \"time_ms\": null}", "score"), "3439");
    EXPECT_EQ(JsonField("{\"score\": 3439, \"time_ms\": null}", "time_ms"), "null");
    EXPECT_EQ(JsonField("{\"score\": 3439}", "reason"), "");
    EXPECT_EQ(JsonField("{\"cut\": \"unterminated", "cut"), "unterminated");
    EXPECT_EQ(JsonField("{\"cut\": \"at a \\", "cut"), "at a \\") << "a lone backslash at the end";
    EXPECT_EQ(JsonField("{\"cut\": \"\\u00", "cut"), "u00") << "a \\u cut short";
    EXPECT_EQ(JsonField("{\"a\": \"\\u0020\\u001f\"}", "a"), " ?");
    EXPECT_TRUE(ValidServerUrl("https://ranking.example/"));
    EXPECT_TRUE(ValidServerUrl("http://127.0.0.1:8000"));
    for (const char* bad : {"", "ranking.example", "ftp://x", "http://", "http:///x", "http://a b"}) {
        EXPECT_FALSE(ValidServerUrl(bad)) << bad;
    }
}

// What a server's answer means for the run: accepted with its id, refused for good (a
// 4xx), or worth sending again (a rate limit, a timeout, a server error), with its reason.
TEST(WorldClient, ASendIsAcceptedRefusedOrWorthAgainByTheServersAnswer) {
    httplib::Server stub;
    int status = 0;
    std::string body;
    stub.Post("/api/runs", [&](const httplib::Request& request, httplib::Response& response) {
        response.status = request.get_header_value("X-Player-Name") == "desk" ? status : 400;
        response.set_content(body, "application/json");
    });
    const int port = stub.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { stub.listen_after_bind(); });
    const std::string server = "http://127.0.0.1:" + std::to_string(port) + "/";
    using Outcome = SendResult::Outcome;
    const struct {
        int status;
        std::string body;
        Outcome outcome;
        std::string id, message;
    } answers[] = {
        {202, "{\"id\": \"42\"}", Outcome::Accepted, "42", ""},
        {400, "{\"error\": \"the demo differs\"}", Outcome::Refused, "", "the demo differs"},
        {499, "", Outcome::Refused, "", "the server answered 499"},
        {429, "{\"error\": \"slow down\"}", Outcome::Failed, "", "slow down"},
        {408, "", Outcome::Failed, "", "the server answered 408"},
        {503, "", Outcome::Failed, "", "the server answered 503"},
    };
    for (const auto& answer : answers) {
        status = answer.status;
        body = answer.body;
        const SendResult sent = SendRun(server, "desk", "secret", "demo");
        EXPECT_EQ(std::make_tuple(sent.outcome, sent.id, sent.message),
                  std::make_tuple(answer.outcome, answer.id, answer.message))
            << answer.status;
    }
    stub.stop();
    serving.join();
    const SendResult unanswered = SendRun(server, "desk", "secret", "demo");
    EXPECT_EQ(unanswered.outcome, Outcome::Failed);
    EXPECT_TRUE(unanswered.message.starts_with("no answer from " + server)) << unanswered.message;
}

INSTANTIATE_TEST_SUITE_P(Databases, Client, ::testing::Values("sqlite"), [](const auto& param) { return param.param; });

}  // namespace
}  // namespace servertest
