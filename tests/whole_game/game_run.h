// The whole game driven headless turn by turn with held keys on the virtual clock, in a
// scratch folder holding a copy of the shipped data, the scenes it passes recorded.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "game/scene_state.h"
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
    bool UntilScene(int scene) { return Until(InScene(scene)); }
    bool Frames(int n) { return Until(AfterFrames(n)); }
    // Holds the key until the predicate holds.
    bool PressUntil(int key, const std::function<bool()>& done);
    bool Hold(int key, int frames) { return PressUntil(key, AfterFrames(frames)); }
    // Calls `afterTurn` after every later turn that leaves the game running.
    void Watch(const std::function<void()>& afterTurn) { afterTurn_ = afterTurn; }

    // The game's exit code once it has ended, -1 before.
    int ExitCode() const { return exitCode_; }
    // Every scene the game was in, in order, repeats left out.
    const std::vector<int>& Scenes() const { return scenes_; }

    static std::function<bool()> InScene(int scene) {
        return [scene] { return g_scene == scene; };
    }
    static std::function<bool()> AfterFrames(int n);

private:
    void Note() {
        if (scenes_.empty() || scenes_.back() != g_scene) scenes_.push_back(g_scene);
    }

    test::ScratchDir dir_;
    bool ended_ = false;
    int exitCode_ = -1;
    std::vector<int> scenes_;
    std::function<void()> afterTurn_;
};

// Plays the fixed route through the shipped stage: five kills in three groups. `afterFirstGroup`,
// if given, runs once the first two are down; the route goes on if it returns true.
bool PlayRoute(GameRun& run, const std::function<bool()>& afterFirstGroup = nullptr);

// The route (A for the results if the stage did not clear); clear, results and ending to
// the title; the ranking and back; start, pause, retry, pause, title, quit. False as soon
// as a step does not come about, which *failedStep then names.
bool PlayWholeRing(GameRun& run, std::string* failedStep);

}  // namespace whole
