#include "game/stage.h"

#include <algorithm>
#include <cstdio>

#include "game/run_state.h"
#include "game/scene_state.h"
#include "gfx/blit.h"
#include "gfx/surfaces.h"
#include "platform/gdi.h"
#include "platform/host/files.h"
#include "platform/mmsystem.h"
#include "records/numbers.h"

Actor g_player;
Actor g_enemies[ENEMY_COUNT];
std::int32_t g_map[MAP_ROWS][MAP_COLS];
HBRUSH g_keyBrush;

namespace {

constexpr int ENEMY_FILE_RECORDS = 20;
constexpr int HERO_START = 352;  // centre of map cell (5, 5)
constexpr int HERO_SPEED = 5;
constexpr std::uint8_t HERO_POWER = 2;
constexpr COLORREF KEY_BRUSH_COLOR = 0x00FF00FF;

// Wider numbers are cut to this: positions, steps and hit points stay far enough from
// the ends of int that no sum of the play frame (steps, boxes, camera, damage) overflows.
constexpr std::int32_t FILE_NUMBER_LIMIT = 1 << 20;

// Reads "%d," numbers one field at a time. The first text that is not a number ends the
// reading: that field and every later one keep their values.
struct NumberReader {
    std::FILE* file;
    bool ok = true;

    bool Scan(std::int32_t& value) {
        ok = ok && ScanNumber(file, value);
        return ok;
    }
    void Read(std::int32_t& field) {
        std::int32_t value = 0;
        if (Scan(value)) field = std::clamp(value, -FILE_NUMBER_LIMIT, FILE_NUMBER_LIMIT);
    }
    // Eight-bit fields keep the low 8 bits of the number.
    void Read(std::uint8_t& field) {
        std::int32_t value = 0;
        if (Scan(value)) field = static_cast<std::uint8_t>(value);
    }
};

// One record of the enemy file; note the bottom/right order of the box.
void ReadEnemy(NumberReader& in, Actor& enemy) {
    in.Read(enemy.sprite);
    in.Read(enemy.x);
    in.Read(enemy.y);
    in.Read(enemy.dx);
    in.Read(enemy.dy);
    in.Read(enemy.speedX);
    in.Read(enemy.speedY);
    in.Read(enemy.hp);
    in.Read(enemy.state);
    in.Read(enemy.dir);
    in.Read(enemy.anim);
    in.Read(enemy.power);
    in.Read(enemy.reserved1);
    in.Read(enemy.attack);
    in.Read(enemy.reserved2);
    in.Read(enemy.hitRect.left);
    in.Read(enemy.hitRect.top);
    in.Read(enemy.hitRect.bottom);
    in.Read(enemy.hitRect.right);
    in.Read(enemy.reserved3);
    in.Read(enemy.shatterFrame);
}

// Records past the tenth are read and thrown away.
void ReadEnemyFile() {
    std::FILE* file = OpenGameFile("txt\\en.txt", "rt");
    if (file == nullptr) return;
    NumberReader in{file};
    Actor discarded{};
    for (int i = 0; i < ENEMY_FILE_RECORDS; ++i) {
        ReadEnemy(in, i < ENEMY_COUNT ? g_enemies[i] : discarded);
    }
    std::fclose(file);
}

void ReadMapFile() {
    std::FILE* file = OpenGameFile("txt\\Map\\Map.txt", "rt");
    if (file == nullptr) return;
    NumberReader in{file};
    for (auto& row : g_map) {
        for (std::int32_t& code : row) in.Read(code);
    }
    std::fclose(file);
}

}  // namespace

void LoadStage() {
    ReadEnemyFile();
    ReadMapFile();

    // Facing, animation and a running swing are left as they are.
    g_player.speedX = HERO_SPEED;
    g_player.speedY = HERO_SPEED;
    g_player.x = HERO_START;
    g_player.y = HERO_START;
    g_player.power = HERO_POWER;

    LoadBitmapToSurface(g_offscreen1, "bmp\\Map.bmp");
    LoadBitmapToSurface(g_offscreen2, "bmp\\Char\\My_char.bmp");
    LoadBitmapToSurface(g_offscreen3, "bmp\\Char\\Enem.bmp");
    ColorFill(g_back, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0);

    g_scene = SCENE_PLAY;

    if (g_keyBrush != nullptr) DeleteObject(g_keyBrush);
    g_keyBrush = CreateSolidBrush(KEY_BRUSH_COLOR);

    // Every run starts clean: kills and pauses of an earlier run do not carry over.
    ResetRun(timeGetTime());
}
