// The policy both front ends follow: what each key and pad control means, the volume law
// and its notes. The desktop and the browser reach the sound only through these gains, so
// a volume gives the same loudness in both.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "platform/policy/keys.h"
#include "platform/policy/pad.h"
#include "platform/policy/settings.h"
#include "platform/policy/volume.h"
#include "platform/seam/keys.h"

namespace {

using policy::Hotkey;

double Decibels(float gain) {
    return 20.0 * std::log10(static_cast<double>(gain));
}

TEST(Volume, EachTenthIsThreeDecibelsAndTheFullLevelPlaysTheMusicNearMinusTwentyDbfs) {
    EXPECT_FLOAT_EQ(policy::VolumeGain(100), 1.0f);
    for (int percent = 10; percent < 100; percent += 10) {
        EXPECT_NEAR(Decibels(policy::VolumeGain(percent + 10)) - Decibels(policy::VolumeGain(percent)), 3.0, 1e-4)
            << percent;
    }
    EXPECT_NEAR(Decibels(policy::VolumeGain(50)), -15.0, 1e-4);
    EXPECT_EQ(policy::VolumeGain(0), 0.0f);
    EXPECT_EQ(policy::VolumeGain(-5), 0.0f);
    EXPECT_FLOAT_EQ(policy::VolumeGain(250), 1.0f) << "never above the full level";

    // Pieces are made at -22 dBFS RMS: the full volume plays them 2 dB louder, and the
    // effects' bursts 3 to 6 dB above that.
    EXPECT_NEAR(Decibels(policy::MusicGain(100, false)) - 22.0, -20.0, 0.1);
    EXPECT_NEAR(Decibels(policy::MusicGain(50, false)), Decibels(policy::MUSIC_LEVEL) - 15.0, 1e-4);
    EXPECT_NEAR(Decibels(policy::EffectsGain(70, false)), Decibels(policy::EFFECTS_LEVEL) - 9.0, 1e-4);
    EXPECT_EQ(policy::MusicGain(100, true), 0.0f);
    EXPECT_EQ(policy::EffectsGain(100, true), 0.0f);
}

TEST(Volume, KeysStepBothVolumesWithinTheScaleAndSayWhatTheyDid) {
    Settings settings;
    settings.musicVolume = 50;
    settings.effectsVolume = 30;
    policy::Note note = policy::StepVolume(settings, -1, false);
    EXPECT_EQ(settings.musicVolume, 40);
    EXPECT_EQ(settings.effectsVolume, 20);
    EXPECT_EQ(note.onScreen, "Volume music 40 %, effects 20 %");
    EXPECT_EQ(note.onStderr, "volume music 40 %, effects 20 %");

    for (int press = 0; press < 4; ++press) note = policy::StepVolume(settings, -1, true);
    EXPECT_EQ(settings.musicVolume, 0);
    EXPECT_EQ(settings.effectsVolume, 0) << "held at the bottom";
    EXPECT_EQ(note.onScreen, "Volume 0 %");
    EXPECT_EQ(note.onStderr, "volume 0 % (muted)");
    for (int press = 0; press < 12; ++press) note = policy::StepVolume(settings, 1, false);
    EXPECT_EQ(settings.musicVolume, 100);
    EXPECT_EQ(note.onScreen, "Volume 100 %");

    bool muted = false;
    note = policy::ToggleMute(&muted);
    EXPECT_TRUE(muted);
    EXPECT_EQ(note.onScreen, "Muted");
    EXPECT_EQ(note.onStderr, "muted");
    note = policy::ToggleMute(&muted);
    EXPECT_FALSE(muted);
    EXPECT_EQ(note.onScreen, "Sound on");
    EXPECT_EQ(note.onStderr, "sound on");
}

TEST(Keys, GameKeysEnterAndSpaceAsZAndTheFrontEndsOwnKeys) {
    EXPECT_EQ(policy::VirtualKeyOf('Z'), 'Z');
    EXPECT_EQ(policy::VirtualKeyOf('7'), '7');
    EXPECT_EQ(policy::VirtualKeyOf(policy::KEY_ESCAPE), VK_ESCAPE);
    EXPECT_EQ(policy::VirtualKeyOf(policy::KEY_ENTER), VK_RETURN);
    EXPECT_EQ(policy::VirtualKeyOf(policy::KEY_LEFT), VK_LEFT);
    EXPECT_EQ(policy::VirtualKeyOf(policy::KEY_UP), VK_UP);
    EXPECT_EQ(policy::VirtualKeyOf(policy::KEY_RIGHT), VK_RIGHT);
    EXPECT_EQ(policy::VirtualKeyOf(policy::KEY_DOWN), VK_DOWN);
    for (int key : std::initializer_list<int>{policy::KEY_NONE, policy::KEY_SPACE, policy::KEY_KEYPAD_ENTER,
                                              policy::KEY_F12, policy::KEY_MINUS, '@', 'z', '['}) {
        EXPECT_EQ(policy::VirtualKeyOf(key), 0) << key;
    }

    for (int key : {policy::KEY_ENTER, policy::KEY_KEYPAD_ENTER, policy::KEY_SPACE}) {
        EXPECT_TRUE(policy::CountsAsZ(key, false)) << key;
        EXPECT_FALSE(policy::CountsAsZ(key, true)) << key << ": Alt+Enter is no pick";
    }
    EXPECT_FALSE(policy::CountsAsZ('X', false));
    EXPECT_FALSE(policy::CountsAsZ(policy::KEY_ESCAPE, false));

    EXPECT_EQ(policy::HotkeyOf(policy::KEY_F11, false), Hotkey::Fullscreen);
    EXPECT_EQ(policy::HotkeyOf(policy::KEY_ENTER, true), Hotkey::Fullscreen);
    EXPECT_EQ(policy::HotkeyOf(policy::KEY_KEYPAD_ENTER, true), Hotkey::Fullscreen);
    EXPECT_EQ(policy::HotkeyOf(policy::KEY_ENTER, false), Hotkey::None);
    EXPECT_EQ(policy::HotkeyOf(policy::KEY_F12, false), Hotkey::Screenshot);
    EXPECT_EQ(policy::HotkeyOf('M', false), Hotkey::Mute);
    EXPECT_EQ(policy::HotkeyOf(policy::KEY_MINUS, false), Hotkey::VolumeDown);
    EXPECT_EQ(policy::HotkeyOf(policy::KEY_PLUS, false), Hotkey::VolumeUp);
    for (int key : std::initializer_list<int>{'Z', 'X', 'C', 'A', policy::KEY_ESCAPE, policy::KEY_SPACE, policy::KEY_LEFT}) {
        EXPECT_EQ(policy::HotkeyOf(key, false), Hotkey::None) << key << " is the game's";
    }

    EXPECT_TRUE(policy::ActsOnRepeat(Hotkey::VolumeDown));
    EXPECT_TRUE(policy::ActsOnRepeat(Hotkey::VolumeUp));
    EXPECT_FALSE(policy::ActsOnRepeat(Hotkey::Mute)) << "a held M would flicker";
    EXPECT_FALSE(policy::ActsOnRepeat(Hotkey::Fullscreen));
    EXPECT_FALSE(policy::ActsOnRepeat(Hotkey::Screenshot));
}

TEST(Pad, ButtonsAndTheStickGiveTheArrowsZAndX) {
    const auto keyOf = [](policy::PadButton button) {
        int found = 0;
        for (const policy::PadKey& mapping : policy::PAD_KEYS) {
            if (mapping.button == button) found = mapping.virtualKey;
        }
        return found;
    };
    EXPECT_EQ(keyOf(policy::PadButton::DpadUp), VK_UP);
    EXPECT_EQ(keyOf(policy::PadButton::DpadDown), VK_DOWN);
    EXPECT_EQ(keyOf(policy::PadButton::DpadLeft), VK_LEFT);
    EXPECT_EQ(keyOf(policy::PadButton::DpadRight), VK_RIGHT);
    EXPECT_EQ(keyOf(policy::PadButton::South), 'Z');
    EXPECT_EQ(keyOf(policy::PadButton::East), 'X');
    EXPECT_EQ(keyOf(policy::PadButton::Start), 'X');

    EXPECT_FALSE(policy::StickHolds(0.39f, 0.0f, VK_RIGHT)) << "a resting stick drifts";
    EXPECT_TRUE(policy::StickHolds(0.41f, 0.0f, VK_RIGHT));
    EXPECT_TRUE(policy::StickHolds(-0.41f, 0.0f, VK_LEFT));
    EXPECT_FALSE(policy::StickHolds(-0.41f, 0.0f, VK_RIGHT));
    EXPECT_TRUE(policy::StickHolds(0.0f, -1.0f, VK_UP));
    EXPECT_TRUE(policy::StickHolds(0.0f, 0.5f, VK_DOWN));
    EXPECT_FALSE(policy::StickHolds(0.0f, 0.39f, VK_DOWN));
    // Pushed to a corner, both of its arrows are held.
    EXPECT_TRUE(policy::StickHolds(0.8f, 0.8f, VK_RIGHT));
    EXPECT_TRUE(policy::StickHolds(0.8f, 0.8f, VK_DOWN));
    EXPECT_FALSE(policy::StickHolds(1.0f, 1.0f, 'Z'));
}

}  // namespace
