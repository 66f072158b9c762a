// Reading the enemy and map files, and what a load does to the hero and the run.
#include <gtest/gtest.h>

#include "game/game_frame.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "platform/headless/headless.h"
#include "tests/game/stage_files.h"

namespace {

using gametest::EnemyText;
using gametest::FieldsOf;
using gametest::Record;

// Every field of record r different from every other record's.
Record Numbered(int r) {
    Record record;
    for (int i = 0; i < 21; ++i) record[i] = 100 * r + i;
    return record;
}

std::vector<Record> NumberedRecords(int count, int offset = 0) {
    std::vector<Record> records;
    for (int r = 0; r < count; ++r) records.push_back(Numbered(r + offset));
    return records;
}

class StageLoad : public ::testing::Test {
protected:
    void SetUp() override { test::StartGame(); }

    void Load(const std::string& enemyText) {
        test::WriteFile("txt/en.txt", enemyText);
        LoadStage();
    }

    // Records as the 8-bit fields keep them.
    static Record Stored(Record record) {
        for (int i : {0, 8, 9, 10, 11, 12, 13, 14}) record[i] &= 0xFF;
        return record;
    }

    void ExpectEnemies(const std::vector<Record>& expected) {
        for (int i = 0; i < ENEMY_COUNT; ++i) {
            EXPECT_EQ(FieldsOf(g_enemies[i]), Stored(expected[i])) << "enemy " << i;
        }
    }

    test::ScratchDir dir_;
};

TEST_F(StageLoad, TenOrTwentyRecordsFillTheTableWithTheFirstTen) {
    Load(EnemyText(NumberedRecords(10)));
    ExpectEnemies(NumberedRecords(10));
    EXPECT_EQ(g_enemies[3].hitRect.bottom, 317);  // file order: left, top, bottom, right
    EXPECT_EQ(g_enemies[3].hitRect.right, 318);

    Load(EnemyText(NumberedRecords(20, 20)));
    ExpectEnemies(NumberedRecords(10, 20));
}

TEST_F(StageLoad, SevenRecordsLeaveTheLastThreeAsTheyWere) {
    Load(EnemyText(NumberedRecords(10)));
    Load(EnemyText(NumberedRecords(7, 30)));
    std::vector<Record> expected = NumberedRecords(7, 30);
    for (int r = 7; r < 10; ++r) expected.push_back(Numbered(r));
    ExpectEnemies(expected);
}

TEST_F(StageLoad, LineBreaksAndTrailingCommasReadTheSame) {
    const std::vector<Record> records = NumberedRecords(10);
    std::string perLineBare;
    for (const Record& record : records) perLineBare += EnemyText({record}) + "\n";
    for (const std::string& text : {EnemyText(records), EnemyText(records, ",\n"), perLineBare}) {
        Load(EnemyText(NumberedRecords(10, 50)));
        Load(text);
        ExpectEnemies(records);
    }
}

// " ," is not consumed with the number before it: the read stops at the comma.
TEST_F(StageLoad, AMisplacedCommaStopsTheReading) {
    Load(EnemyText(NumberedRecords(10)));
    Load("7,1,2,3,4,5 ,6,7");
    Record expected = Numbered(0);
    for (int i = 0; i < 6; ++i) expected[i] = i == 0 ? 7 : i;
    EXPECT_EQ(FieldsOf(g_enemies[0]), Stored(expected));
    EXPECT_EQ(FieldsOf(g_enemies[1]), Stored(Numbered(1)));
}

TEST_F(StageLoad, EightBitFieldsKeepTheLowBits) {
    Record record = gametest::Enemy(300, 10, 20, 5, 259);
    record[5] = 3;    // speedX
    record[6] = 2;    // speedY
    record[9] = -1;   // dir
    record[20] = -4;  // shatterFrame is 32-bit
    Load(EnemyText({record}));
    EXPECT_EQ(g_enemies[0].sprite, 44);
    EXPECT_EQ(g_enemies[0].state, ACTOR_ALIVE);
    EXPECT_EQ(g_enemies[0].dir, 255);
    EXPECT_EQ(g_enemies[0].speedX, 3);
    EXPECT_EQ(g_enemies[0].speedY, 2);
    EXPECT_EQ(g_enemies[0].shatterFrame, -4);
}

TEST_F(StageLoad, ReadsTheMapRowByRow) {
    test::WriteFile("txt/Map/Map.txt", gametest::MapText({{0, 19, 7}, {14, 0, 99}, {5, 6, -3}}));
    LoadStage();
    EXPECT_EQ(g_map[0][19], 7);
    EXPECT_EQ(g_map[14][0], 99);
    EXPECT_EQ(g_map[5][6], -3);
    EXPECT_EQ(g_map[5][5], 0);
}

// A load places the hero and starts a clean run, but a swing and the facing go on.
TEST_F(StageLoad, PlacesTheHeroAndStartsTheRunAfresh) {
    Load(EnemyText(NumberedRecords(10)));
    g_player = Actor{};
    g_player.x = 900;
    g_player.dir = DIR_LEFT;
    g_player.attack = 6;
    g_killCount = 3;
    g_pauseStart = 11;
    g_pauseEnd = 12;
    g_pauseTotal = 13;
    g_scene = SCENE_STAGE_INIT;
    std::filesystem::remove("txt/en.txt");
    headless::Advance(5000);

    LoadStage();
    EXPECT_EQ(g_player.x, 352);
    EXPECT_EQ(g_player.y, 352);
    EXPECT_EQ(g_player.speedX, 5);
    EXPECT_EQ(g_player.speedY, 5);
    EXPECT_EQ(g_player.power, 2);
    EXPECT_EQ(g_player.dir, DIR_LEFT);
    EXPECT_EQ(g_player.attack, 6);
    EXPECT_EQ(g_killCount, 0);
    EXPECT_EQ(g_pauseStart + g_pauseEnd + g_pauseTotal, 0u);
    EXPECT_EQ(g_scene, SCENE_PLAY);
    EXPECT_EQ(g_stageStart, static_cast<std::uint32_t>(headless::Now()));
    EXPECT_NE(g_keyBrush, nullptr);
    ExpectEnemies(NumberedRecords(10));  // a missing file changes nothing
}

}  // namespace
