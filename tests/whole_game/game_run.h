// The whole game driven headless turn by turn with held keys on the virtual clock, the
// scenes it passes through recorded, and the scripted run round the ring of scenes.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace whole {

class GameRun {
public:
    // Starts the game in the working directory (its data must be there).
    GameRun();

    // One loop turn; false once the game has ended.
    bool Turn();
    // Turns until the predicate holds; false if the game ends or maxTurns pass first.
    bool Until(const std::function<bool()>& done, int maxTurns = 400000);
    bool UntilScene(int scene, int maxTurns = 400000);
    // Turns until n more frames have been presented.
    bool Frames(int n);
    // Holds the key for one frame, then lets it go for one frame.
    bool Tap(int key);
    // Holds the key for the given number of frames and lets it go.
    bool Hold(int key, int frames);
    // Turns until the game ends; its exit code, or -1 if it does not end.
    int ToExit(int maxTurns = 400000);

    bool Ended() const { return ended_; }
    int ExitCode() const { return exitCode_; }
    // Every scene the game was in, in order, repeats left out.
    const std::vector<int>& Scenes() const { return scenes_; }
    // Presses Escape as soon as the game is in the scene (now, if it already is).
    void EscapeOn(int scene);

private:
    void Note();

    bool ended_ = false;
    int exitCode_ = -1;
    std::vector<int> scenes_;
    static constexpr int NO_SCENE = -100;
    int escapeScene_ = NO_SCENE;
};

// The fixed play of the stage on the shipped data: walks to the quick group of enemies
// by the start and cuts five of them down. Returns when the route is done (the stage may
// or may not be cleared by then). `afterFirstGroup`, if given, runs once the first two
// enemies are down; the route goes on if it returns true.
bool PlayRoute(GameRun& run, const std::function<bool()>& afterFirstGroup = nullptr);

// Swings once: Z for a frame, then released until the swing has ended.
bool Swing(GameRun& run);

// The scripted whole run: the route; A for the results if the stage did not clear;
// through the clear, results and ending to the title; the ranking and back; start,
// pause, retry, pause, title, quit. False as soon as a step does not come about.
bool PlayWholeRing(GameRun& run, std::string* failedStep);

// Collapses runs of equal strings to "text xN" (N > 1), so a command sent on every turn
// of a wait reads as one entry.
std::vector<std::string> Collapse(const std::vector<std::string>& log);

}  // namespace whole
