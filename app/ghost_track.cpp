#include "app/ghost_track.h"

#include <algorithm>

#include "game/combat.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "platform/demo/demo_reader.h"

namespace {

// A hero the play frame could have drawn: inside the world, one of the four facings, in
// or out of a swing.
bool Showable(const DemoFramePoint& frame) {
    return frame.x >= 0 && frame.x <= MAP_COLS * TILE_SIZE && frame.y >= 0 && frame.y <= MAP_ROWS * TILE_SIZE &&
           frame.dir < 4 && frame.attack < SWING_END;
}

bool SameHero(const GhostPoint& point, const DemoFramePoint& frame) {
    return point.x == frame.x && point.y == frame.y && point.dir == frame.dir && point.anim == frame.anim &&
           point.attack == frame.attack;
}

// The run being read, from its stage's start.
struct Run {
    std::vector<GhostPoint> points;
    bool cut = false;
    std::uint32_t cutAt = 0;  // the play time of the first frame past the bound

    // False when the frame is one no run of the game could hold.
    bool Add(const DemoFramePoint& frame) {
        if (frame.scene != SCENE_PLAY) return true;
        if (!Showable(frame)) return false;
        // The pictures shown as a pause ends (its menu's last, the sheet's palette coming
        // back) are told as play with the play clock not yet moved on, a pause's length
        // behind or wrapped round: the hero in them has not moved, so they add nothing.
        if (cut || (!points.empty() && SameHero(points.back(), frame))) return true;
        if (!points.empty() && frame.playTimeMs < points.back().playTimeMs) return false;
        if (points.size() == GHOST_MAX_POINTS) {
            cut = true;
            cutAt = frame.playTimeMs;
            return true;
        }
        points.push_back(GhostPoint{frame.playTimeMs, static_cast<std::int16_t>(frame.x),
                                    static_cast<std::int16_t>(frame.y), frame.dir, frame.anim, frame.attack});
        return true;
    }
};

}  // namespace

bool ReadGhostTrack(const Demo& demo, GhostTrack* track) {
    *track = GhostTrack{};
    if (demo.header.format < 3) return false;
    DemoReader reader(demo);
    DemoRecord record;
    Run run;
    bool cleared = false;
    while (reader.Next(&record)) {
        if (record.tag == TAG_STAGE) run = Run{};
        if (record.tag == TAG_FRAME && !run.Add(record.frame)) return false;
        if (record.tag == TAG_CLEAR) {
            cleared = true;
            track->points = run.points;
            track->clearMs = static_cast<std::uint32_t>(record.a);
            track->endMs = run.cut ? std::min(run.cutAt, track->clearMs) : track->clearMs;
        }
    }
    if (!reader.Damaged() && cleared) return true;
    *track = GhostTrack{};
    return false;
}

const GhostPoint* GhostAt(const GhostTrack& track, std::uint32_t playTimeMs) {
    if (playTimeMs >= track.endMs) return nullptr;
    const auto after = std::upper_bound(track.points.begin(), track.points.end(), playTimeMs,
                                        [](std::uint32_t t, const GhostPoint& point) { return t < point.playTimeMs; });
    return after == track.points.begin() ? nullptr : &*(after - 1);
}
