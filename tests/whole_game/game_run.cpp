#include "tests/whole_game/game_run.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "app/demo_run.h"
#include "app/scene_switch.h"
#include "game/run_state.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "platform/demo/demo.h"
#include "platform/headless/headless.h"
#include "platform/host/frame_checksum.h"
#include "platform/host/suspension.h"
#include "platform/win32.h"

namespace whole {

namespace {

// Well over the ring's longest wait (about 7,000 turns); a scene stuck for good fails fast.
constexpr int MAX_TURNS = 10000;

// A quick player at a human pace, on the play clock: right to the pair east of the start
// and a swing, down to the one below it and a swing, left across the rug to the pair in the
// west and a swing. Key 0 marks the end of the first group.
struct RouteAction {
    int key;
    std::uint32_t downMs, upMs;
};
constexpr RouteAction ROUTE[] = {
    {VK_RIGHT, 230, 430}, {'Z', 650, 740}, {0, 950, 950},
    {VK_DOWN, 970, 1170}, {'Z', 1390, 1480},
    {VK_LEFT, 1710, 2110}, {'Z', 2330, 2420},
};

// The game's own clock, which stands still while the game is suspended; read beside the
// game, not through it, so that a recorded run holds only the game's own reads.
std::uint32_t PlayClock() { return static_cast<std::uint32_t>(GameClockMs(headless::Now())) - g_stageStart - g_pauseTotal; }

std::function<bool()> InScene(int scene) {
    return [scene] { return g_scene == scene; };
}

std::function<bool()> AfterFrames(int n) {
    const std::uint64_t target = headless::FrameCount() + static_cast<std::uint64_t>(n);
    return [target] { return headless::FrameCount() >= target; };
}

}  // namespace

std::uint64_t FrameChecksum(const headless::Frame& frame) {
    return ::FrameChecksum(frame.pixels.data(), frame.pixels.size(), frame.palette);
}

GameRun::GameRun(const std::function<void()>& prepare) {
    test::CopyRealData();
    if (prepare) prepare();
    test::StartGame();
    scenes_.push_back(g_scene);
}

bool GameRun::Turn() {
    if (ended_) return false;
    ended_ = test::Turn(&exitCode_);
    if (ended_) return false;
    if (scenes_.back() != g_scene) scenes_.push_back(g_scene);
    if (afterTurn_) afterTurn_();
    return true;
}

bool GameRun::Until(const std::function<bool()>& done) {
    for (int i = 0; i < MAX_TURNS; ++i) {
        if (done()) return true;
        if (!Turn()) return false;
    }
    return done();
}

bool GameRun::UntilScene(int scene) { return Until(InScene(scene)); }

bool GameRun::Frames(int n) { return Until(AfterFrames(n)); }

bool GameRun::Hold(int key, int frames) { return PressUntil(key, AfterFrames(frames)); }

bool GameRun::PressUntil(int key, const std::function<bool()>& done) {
    headless::PressKey(key);
    const bool ok = Until(done);
    headless::ReleaseKey(key);
    return ok;
}

// Holds each action's key from its start to its end on the play clock; after the
// route, waits for the last break-up to clear the stage (or a second to show it will not).
bool PlayRoute(GameRun& run, const std::function<bool()>& afterFirstGroup, std::uint32_t lateMs) {
    for (const RouteAction& action : ROUTE) {
        if (!run.Until([&] { return PlayClock() >= action.downMs + lateMs; })) return false;
        if (action.key == 0) {
            if (afterFirstGroup && !afterFirstGroup()) return false;
        } else if (!run.PressUntil(action.key, [&] { return PlayClock() >= action.upMs + lateMs; })) {
            return false;
        }
    }
    const std::uint32_t giveUp = PlayClock() + 1000;
    return run.Until([giveUp] { return g_scene != SCENE_PLAY || PlayClock() >= giveUp; });
}

bool Choose(GameRun& run, int key, int moves, int scene) {
    bool ok = run.Frames(2);
    for (int i = 0; ok && i < moves; ++i) ok = run.Hold(key, 1) && run.Frames(1);
    return ok && run.PressUntil('Z', InScene(scene));
}

bool PlayWholeRing(GameRun& run, std::string* failedStep) {
    auto step = [failedStep](const char* what, bool ok) {
        if (!ok && failedStep->empty()) *failedStep = std::string(what) + ", stuck in " + SceneName(g_scene);
        return ok;
    };
    auto choose = [&run](int key, int moves, int scene) { return Choose(run, key, moves, scene); };
    auto pause = [&run](int key) {
        return run.Hold(key, 10) && run.Hold('X', 1) && run.UntilScene(SCENE_PAUSE);
    };
    return step("the stage loads", run.UntilScene(SCENE_PLAY)) &&
           step("the route is played", PlayRoute(run)) &&
           // Without five kills (damaged stage files) A leads to the results instead.
           step("A leaves the stage",
                g_scene != SCENE_PLAY || run.PressUntil('A', [] { return g_scene != SCENE_PLAY; })) &&
           step("clear, results and ending lead to the title", run.UntilScene(SCENE_TITLE)) &&
           step("the title's second item shows the ranking", choose(VK_DOWN, 1, SCENE_RANKING)) &&
           step("X leaves the ranking", run.Frames(60) && run.PressUntil('X', InScene(SCENE_TITLE))) &&
           step("the title's first item starts the stage", choose(VK_UP, 1, SCENE_PLAY)) &&
           step("X pauses the play", pause(VK_RIGHT)) &&
           step("the pause menu's second item retries the stage",
                choose(VK_DOWN, 1, SCENE_STAGE_INIT) && run.UntilScene(SCENE_PLAY)) &&
           step("X pauses the retried play", pause(VK_DOWN)) &&
           step("the pause menu's third item leads to the title", choose(VK_DOWN, 2, SCENE_TITLE)) &&
           step("the title's third item quits with exit code 0",
                choose(VK_DOWN, 2, SCENE_QUIT) && !run.Until([] { return false; }) && run.ExitCode() == 0);
}

BinaryRun RunBinary(const std::vector<std::string>& options) {
    const std::string log = (std::filesystem::current_path() / "game.log").string();
    std::vector<char*> argv{const_cast<char*>(LB_BINARY_DIR "/lantern-blade")};
    for (const std::string& option : options) argv.push_back(const_cast<char*>(option.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        std::freopen(log.c_str(), "w", stdout);
        dup2(fileno(stdout), 2);
        alarm(120);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), test::ReadFile(log), usage.ru_maxrss};
}

void ExpectVerify(const std::string& demoPath, int code, const std::string& says) {
    const BinaryRun run = Verify(demoPath);
    EXPECT_EQ(run.code, code) << demoPath << ": " << run.out;
    EXPECT_NE(run.out.find(says), std::string::npos) << demoPath << ": " << run.out;
}

void ReplayToEnd(const std::function<void()>& afterTurn) {
    while (!DemoReplayOver() && DemoDifference() < 0 && !test::Turn()) afterTurn();
    std::string why;
    EXPECT_EQ(DemoDifference(&why), -1) << why;
    EXPECT_TRUE(DemoReplayOver());
}

Demo ReadDemo(const std::string& path) {
    Demo demo;
    std::string why;
    EXPECT_TRUE(ReadDemoFile(path, &demo, &why)) << path << ": " << why;
    return demo;
}

bool Apart(const std::function<void()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        body();
        _exit(testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

Demo RecordedApart(const std::function<void(GameRun&)>& play) {
    const std::string path = (std::filesystem::current_path() / "session.lbdemo").string();
    EXPECT_TRUE(Apart([&] {
        GameRun run([] { StartRecording(true); });
        play(run);
        test::WriteFile(path, DemoRecordingBytes(false));
    }));
    return ReadDemo(path);
}

Demo Edited(const Demo& demo, const std::function<bool(const DemoRecord&)>& pick, const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> stream;
    EXPECT_TRUE(UnpackDemo(demo, &stream));
    DemoReader reader(demo);
    DemoRecord record;
    for (std::uint64_t at = reader.Offset(); reader.Next(&record); at = reader.Offset()) {
        if (!pick(record)) continue;
        const auto from = stream.begin() + static_cast<std::ptrdiff_t>(at);
        stream.erase(from, stream.begin() + static_cast<std::ptrdiff_t>(reader.Offset()));
        stream.insert(stream.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin(), bytes.end());
        break;
    }
    Demo edited;
    EXPECT_TRUE(PackDemo(demo.header, stream, &edited));
    return edited;
}

Demo EditedKey(const Demo& demo, int from, int to) {
    return Edited(demo, [from](const DemoRecord& record) { return record.tag == TAG_KEY && record.a == static_cast<std::uint64_t>(from); },
                  {TAG_KEY, static_cast<std::uint8_t>(to)});
}

std::vector<std::uint8_t> ClearRecord(std::uint32_t playTimeMs, std::uint32_t score) {
    std::vector<std::uint8_t> bytes{TAG_CLEAR};
    PutVarint(bytes, playTimeMs);
    PutVarint(bytes, score);
    return bytes;
}

}  // namespace whole
