// The whole game driven headless turn by turn with held keys on the virtual clock, in a
// scratch folder holding a copy of the shipped data, the scenes it passes recorded.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/support/harness.h"

namespace whole {

class GameRun {
public:
    // Copies the data, lets `prepare` change it, and starts the game.
    explicit GameRun(const std::function<void()>& prepare = nullptr);

    // One loop turn; false once the game has ended.
    bool Turn();
    // Turns until the predicate holds; false if the game ends or too many turns pass first.
    bool Until(const std::function<bool()>& done);
    bool UntilScene(int scene);
    bool Frames(int n);
    // Holds the key until the predicate holds (or n frames pass, or the scene comes).
    bool PressUntil(int key, const std::function<bool()>& done);
    bool PressUntilScene(int key, int scene);
    bool Hold(int key, int frames);
    // Presses Escape as soon as the game is in the scene (now, if it already is).
    void EscapeOn(int scene);
    // Calls `afterTurn` after every later turn that leaves the game running.
    void Watch(const std::function<void()>& afterTurn) { afterTurn_ = afterTurn; }

    // The game's exit code once it has ended, -1 before.
    int ExitCode() const { return exitCode_; }
    // Every scene the game was in, in order, repeats left out.
    const std::vector<int>& Scenes() const { return scenes_; }

private:
    void Note();

    test::ScratchDir dir_;
    bool ended_ = false;
    int exitCode_ = -1;
    std::vector<int> scenes_;
    static constexpr int NO_SCENE = -100;
    int escapeScene_ = NO_SCENE;
    std::function<void()> afterTurn_;
};

// The route a quick player takes through the shipped stage, at a human pace: an arrow
// held or a tap of Z, each action starting at least 200 ms after the one before it ends,
// at times that fall between frames (play-clock milliseconds from the stage's start).
// Right to the pair east of the start and a swing, down to the one below it and a swing,
// left across the rug to the pair in the west and a swing. Key 0 marks the end of the
// first group.
struct RouteAction {
    int key;
    std::uint32_t downMs, upMs;
};
constexpr RouteAction ROUTE[] = {
    {VK_RIGHT, 230, 430}, {'Z', 650, 740}, {0, 950, 950},
    {VK_DOWN, 970, 1170}, {'Z', 1390, 1480},
    {VK_LEFT, 1710, 2110}, {'Z', 2330, 2420},
};

// Plays the route on the shipped data. `afterFirstGroup`, if given, runs once the first
// two are down; the route goes on if it returns true. `lateBy` starts every action after
// the first that much later again than the one before (a slower player).
bool PlayRoute(GameRun& run, const std::function<bool()>& afterFirstGroup = nullptr,
               std::uint32_t lateBy = 0);

// The route (A for the results if the stage did not clear); clear, results and ending to
// the title; the ranking and back; start, pause, retry, pause, title, quit. False as soon
// as a step does not come about, which *failedStep then names.
bool PlayWholeRing(GameRun& run, std::string* failedStep);

}  // namespace whole
