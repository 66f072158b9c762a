#include "tests/scenes/scene_fixture.h"

#include <algorithm>

#include "game/scene_state.h"
#include "platform/headless/headless.h"

void SceneTest::SetUp() {
    scene_data::WriteAll();
    test::StartGame();
    ASSERT_TRUE(test::RunUntil([] { return g_scene == SCENE_PLAY; }));
    ASSERT_TRUE(test::RunFrames(2));
}

void SceneTest::EnterScene(int scene) {
    g_scene = scene;
    headless::ClearMciLog();
}

void SceneTest::Frame() { ASSERT_TRUE(test::RunFrames(1)); }

long long SceneTest::NumberAt(int x, int y, int dx, int dy, int maxDigits) const {
    long long value = -1;
    long long place = 1;
    for (int k = 0; k < maxDigits; ++k, x += dx, y += dy) {
        const int index = scene_data::PixelAt(x + 9, y + 15) - scene_data::DIGIT_BASE;
        if (index < 0 || index > 9) break;
        value = (value < 0 ? 0 : value) + index * place;
        place *= 10;
    }
    return value;
}

int SceneTest::CountOf(const std::string& command) const {
    const auto& log = headless::MciLog();
    return static_cast<int>(std::count(log.begin(), log.end(), command));
}

void TapKey(int key) {
    headless::PressKey(key);
    ASSERT_TRUE(test::RunFrames(1));
    headless::ReleaseKey(key);
    ASSERT_TRUE(test::RunFrames(1));
}
