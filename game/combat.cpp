#include "game/combat.h"

#include "game/movement.h"
#include "game/random.h"
#include "game/run_state.h"
#include "game/stage.h"
#include "gfx/surfaces.h"
#include "gfx/transitions.h"
#include "platform/mmsystem.h"

const RECT g_swordBoxes[SWORD_PHASES] = {
    {25, -11, -33, 30},
    {-25, 14, 32, 30},
    {7, -13, 31, 20},
    {-7, -13, 31, 20},
};

namespace {

void KnockBack(Actor& enemy, std::uint8_t heroDir) {
    switch (heroDir) {
    case DIR_DOWN: enemy.y += KNOCK_BACK; break;
    case DIR_UP: enemy.y -= KNOCK_BACK; break;
    case DIR_RIGHT: enemy.x += KNOCK_BACK; break;
    case DIR_LEFT: enemy.x -= KNOCK_BACK; break;
    default: break;
    }
}

// Advances a destroyed enemy's break-up; the kill counts once it is complete.
void ShatterStep(Actor& enemy) {
    RECT cell;
    SpriteRect(enemy.sprite, enemy.dir, AnimColumn(enemy.anim), &cell);
    enemy.shatterFrame += 1;
    if (enemy.shatterFrame >= SHATTER_FRAMES) {
        enemy.state = ACTOR_GONE;
        g_killCount += 1;
        return;
    }
    ShatterBlit(g_back, enemy.x - g_camera.x - SPRITE_HALF, enemy.y - g_camera.y - SPRITE_HALF,
                g_offscreen3, cell.left, cell.top, TILE_SIZE, TILE_SIZE, enemy.shatterFrame);
}

// Only ACTOR_ALIVE is pushed and hears the damage sound; any state from 2 up can be hit.
void SwordHit(Actor& enemy, const RECT& box) {
    if (!RectsOverlap(g_player.x + box.left, g_player.y + box.top, box.right - box.left,
                      box.bottom - box.top, enemy.hitRect.left, enemy.hitRect.top, TILE_SIZE,
                      TILE_SIZE)) {
        return;
    }
    enemy.hp -= g_player.power;
    if (enemy.hp <= 0) enemy.state = ACTOR_KILLED;
    if (enemy.state == ACTOR_ALIVE) {
        PlayEffect(SOUND_DAMAGE);
        KnockBack(enemy, g_player.dir);
    }
    if (enemy.state == ACTOR_KILLED) {
        PlayEffect(SOUND_BREAK);
        enemy.state = ACTOR_DYING;
    }
}

}  // namespace

void PlayEffect(const char* command) {
    mciSendStringA(command, nullptr, 0, nullptr);
}

void WanderEnemies() {
    for (Actor& enemy : g_enemies) {
        enemy.dir = static_cast<std::uint8_t>(NextRandom() % 4);
        enemy.dy = 0;
        enemy.dx = 0;
        StepActor(enemy);
        CollideWithMap(enemy.x, enemy.y, enemy.dx, enemy.dy);
        enemy.hitRect = RECT{enemy.x - SPRITE_HALF, enemy.y - SPRITE_HALF, enemy.x + SPRITE_HALF,
                             enemy.y + SPRITE_HALF};
    }
}

// Runs whether or not the sword swings: a break-up that waited for the next swing would
// freeze mid-burst, and a fifth kill made late in a swing would not clear the stage.
void AdvanceBreakUps() {
    for (Actor& enemy : g_enemies) {
        if (enemy.state == ACTOR_DYING) ShatterStep(enemy);
    }
}

// The last three frames of a swing (phase 4) have no box: nothing is hit in them.
void SwordPass() {
    const int phase = g_player.attack / SWING_FRAMES_PER_PHASE;
    if (phase >= SWORD_PHASES) return;
    for (Actor& enemy : g_enemies) {
        if (enemy.state >= ACTOR_KILLED) SwordHit(enemy, g_swordBoxes[phase]);
    }
}
