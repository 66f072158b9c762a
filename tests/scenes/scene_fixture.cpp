#include "tests/scenes/scene_fixture.h"

#include <algorithm>
#include <vector>

#include "game/scene_state.h"
#include "platform/headless/headless.h"

namespace {

struct Picture {
    int width;
    std::vector<std::uint8_t> pixels;

    Picture(int w, int h, std::uint8_t fill) : width(w), pixels(w * h, fill) {}
    void Fill(int left, int top, int right, int bottom, std::uint8_t index) {
        for (int y = top; y < bottom; ++y) std::fill_n(&pixels[y * width + left], right - left, index);
    }
    void Save(const char* path) const {
        std::vector<std::uint32_t> palette(256);
        for (int i = 0; i < 256; ++i) palette[i] = static_cast<std::uint32_t>(i * 0x010101);
        palette[38] = 0xFF00FF;  // the colour key
        test::WriteBmp(path, width, static_cast<int>(pixels.size()) / width, pixels, palette);
    }
};

}  // namespace

void WriteSceneData() {
    Picture sheet(640, 480, 38);
    for (int d = 0; d < 10; ++d) sheet.Fill(18 * d, 257, 18 * d + 18, 287, DIGIT_BASE + d);
    sheet.Save("bmp/Char/My_char.bmp");

    Picture menu(640, 480, 38);
    menu.Fill(300, 66, 400, 130, TITLE_ITEM_BASE + 2);
    menu.Save("bmp/ets.bmp");

    Picture(640, 480, 5).Save("bmp/Title/Title.bmp");
    Picture(640, 480, 6).Save("bmp/OP.bmp");
    Picture(640, 480, 7).Save("bmp/Ranking/RankingBack.bmp");
    Picture(640, 480, 8).Save("bmp/Ranking/Ranking.bmp");
    Picture(640, 480, 9).Save("bmp/Map.bmp");
    Picture(960, 2000, 9).Save("bmp/Char/Enem.bmp");
    Picture ending(640, 2000, 0);
    for (int row = 0; row < 2000; ++row) ending.Fill(0, row, 640, row + 1, row % 250 + 1);
    ending.Save("bmp/Endhing.bmp");

    for (const char* name : {"BATTLE03.mid", "BATTLE02.mid", "ENDING.mid", "GAMEOVER.mid", "OPENING.mid",
                             "OPTION.mid", "PROG.mid", "RANK.mid"}) {
        test::WriteFile(name, test::SILENT_MIDI);
    }
    for (const char* name : {"BreakEnem.wav", "dmg01.wav", "Sword.wav"}) test::WriteFile(name, "sound");
}

std::uint8_t PixelAt(int x, int y) { return headless::LastFrame().pixels[y * 640 + x]; }

void TapKey(int key) {
    headless::PressKey(key);
    ASSERT_TRUE(test::RunFrames(1));
    headless::ReleaseKey(key);
    ASSERT_TRUE(test::RunFrames(1));
}

void SceneTest::SetUp() {
    WriteSceneData();
    test::StartGame();
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_PLAY; }));
    ASSERT_TRUE(test::RunFrames(2));
}

void SceneTest::Open(int initScene, int scene) {
    g_scene = initScene;
    headless::ClearMciLog();
    ASSERT_TRUE(test::RunUntil([scene] { return g_scene == scene; }));
}

void SceneTest::Frame() { ASSERT_TRUE(test::RunFrames(1)); }

std::string SceneTest::DigitsAt(int x, int y, int dx, int dy) const {
    std::string digits;
    for (;; x += dx, y += dy) {
        const int index = x < 0 || y < 0 ? -1 : PixelAt(x + 9, y + 15) - DIGIT_BASE;
        if (index < 0 || index > 9) return digits;
        digits.insert(digits.begin(), static_cast<char>('0' + index));
    }
}
