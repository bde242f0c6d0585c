#include "GameFixture.h"

#include <algorithm>

namespace {

class Transitions : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        StartGame();
        system.moduleLoads.clear();
    }
    std::string LastTune() const {
        for (auto it = music.Calls().rbegin(); it != music.Calls().rend(); ++it)
            if (it->rfind("LoadSegment ", 0) == 0) return it->substr(12);
        return "";
    }
};

}  // namespace

TEST_F(Transitions, ASurvivalFightHealsAFifthOfTheMaximumCapped) {
    form->GameMode = ModeSurvival;
    struct Case {
        std::int32_t maximum, carried, expected;
    } cases[] = {{1000, 900, 1000}, {1000, 500, 700}, {1000, 800, 1000}, {1234, 0, 246}};
    for (const Case& c : cases) {
        form->robotDescs[0].maxHitPoints = c.maximum;
        form->carriedHitPoints = c.carried;
        form->ToFight();
        EXPECT_EQ(form->players[0].hitPoints, c.expected) << c.maximum << " " << c.carried;
    }
    form->GameMode = ModeTwoPlayers;
    form->ToFight();
    EXPECT_EQ(form->players[0].hitPoints, 1234);
}

TEST_F(Transitions, AFightStartsFromItsPlacesWithNothingHeld) {
    form->players[0].speed[2] = form->players[1].accel[1] = form->players[0].holdFrames[3] = 5;
    form->cpuState = 1;
    form->shotSlots[5][7][9].live = form->shotSlots[5][7][9].visible = 1;  // left over from the last bout
    form->ToFight();
    EXPECT_FALSE(form->shotSlots[5][7][9].live || form->shotSlots[5][7][9].visible);
    EXPECT_EQ(form->players[0].posX, 10);
    EXPECT_EQ(form->players[0].posY, 280);
    EXPECT_EQ(form->players[1].posX, 790);
    EXPECT_EQ(form->players[1].posY, 320);
    EXPECT_EQ(form->players[0].speed[2] + form->players[1].accel[1] + form->players[0].holdFrames[3], 0);
    EXPECT_EQ(form->cpuState, 0);
    EXPECT_EQ(music.Playing().empty(), false);
}

TEST_F(Transitions, QuickBoutDrawsTwoRobotsThenTheVersusScreenBindsByMode) {
    // Seeded with 26 the first two draws pick robot 4 twice, the third the third tune.
    form->GameMode = ModeTwoPlayers;
    form->SeedRandom(26);
    form->FormKeyDown(platform::VkF2);
    ASSERT_FALSE(video->application.Closed());
    EXPECT_EQ(form->GameStage, StageVersus);
    EXPECT_EQ(form->p1RobotNumber, 4);
    EXPECT_EQ(form->p2RobotNumber, 4);
    EXPECT_EQ(system.moduleLoads, (std::vector<std::string>{"Saltrim", "Saltrim", "Saltrim", "Saltrim"}));
    EXPECT_EQ(LastTune(), "Fighting3.mid");

    // Against the computer the ladder replaces player 2's pick.
    system.moduleLoads.clear();
    form->GameStage = StageModeMenu;
    form->GameMode = ModeOnePlayer;
    form->ladderStep = 3;
    form->SeedRandom(26);
    form->FormKeyDown(platform::VkF2);
    EXPECT_EQ(form->p2RobotNumber, form->CpuLadder[0][3]);
    EXPECT_EQ(system.moduleLoads.size(), 4u);

    // In survival the quick bout starts a fresh run: no kills from an earlier
    // one, the first fight at full health. The opponent is a random robot.
    system.moduleLoads.clear();
    form->GameStage = StageModeMenu;
    form->GameMode = ModeSurvival;
    form->survivalKills = 6;
    form->SeedRandom(26);
    form->FormKeyDown(platform::VkF2);
    EXPECT_EQ(form->survivalKills, 0);
    EXPECT_EQ(form->p1FullHeal, 0) << "used up by the versus screen";
    EXPECT_EQ(form->players[0].hitPoints, form->robotDescs[0].maxHitPoints);
    EXPECT_EQ(system.moduleLoads.size(), 4u);

    // Anywhere but the first menu, F2 does nothing.
    form->GameStage = StageMusicMenu;
    system.moduleLoads.clear();
    form->FormKeyDown(platform::VkF2);
    EXPECT_TRUE(system.moduleLoads.empty());
}

TEST_F(Transitions, SurvivalDrawsTheOpponentThenTheDifficultyThenTheTune) {
    form->GameMode = ModeSurvival;
    form->p1RobotNumber = 7;
    form->SeedRandom(0);
    form->Random();
    form->Random();  // the draws go on at 130
    form->ToBefore();
    EXPECT_EQ(form->p2RobotNumber, 130 % kRobotCount + 1);
    form->SeedRandom(0);
    for (int i = 0; i < 3; ++i) form->Random();
    const std::int32_t difficulty = form->Random() % 3 + 1;
    const std::int32_t tune = form->Random() % 3;
    EXPECT_EQ(form->Difficulty, difficulty);
    EXPECT_EQ(LastTune(), "Fighting" + std::to_string(tune + 1) + ".mid");
    EXPECT_EQ(form->players[0].robot->maxHitPoints, 700);
}

TEST_F(Transitions, TheVersusScreenLoopsItsJingle) {
    form->GameMode = ModeTwoPlayers;
    form->ToBefore();
    const auto* jingle = platform::HeadlessSound::Inspect(devices.sound.JingleBuffer);
    WaveChunkPlace beat;
    ASSERT_EQ(form->FindWaveChunks("S_BEAT", beat), platform::WaveFound);
    EXPECT_EQ(jingle->bytes->size(), beat.dataLength);
    EXPECT_TRUE(jingle->playing && jingle->looping);
}

TEST_F(Transitions, FirstFightOfASurvivalRunIsAtFullHealth) {
    form->GameMode = ModeSurvival;
    form->p1RobotNumber = 4;
    form->p1FullHeal = 1;
    form->carriedHitPoints = 3;  // left from an earlier run
    form->ToBefore();
    EXPECT_EQ(form->p1FullHeal, 0);
    form->ToFight();
    EXPECT_EQ(form->players[0].hitPoints, form->robotDescs[0].maxHitPoints);
}

TEST_F(Transitions, F1LeavesForTheStartScreenButInSurvivalOnlyEndsTheRunOnTheVersusScreen) {
    form->GameMode = ModeTwoPlayers;
    form->GameStage = StageFight;
    form->FormKeyDown(platform::VkF1);
    EXPECT_EQ(form->GameStage, StageModeMenu);
    EXPECT_EQ(music.Playing(), "Start.mid");

    form->GameMode = ModeSurvival;
    form->GameStage = StageFight;
    form->FormKeyDown(platform::VkF1);
    EXPECT_EQ(form->GameStage, StageFight);

    form->p1RobotNumber = 4;
    form->ToBefore();
    form->GameStage = StageVersus;
    form->survivalKills = 3;
    form->FormKeyDown(platform::VkF1);
    EXPECT_EQ(form->GameStage, StageResult);
    EXPECT_EQ(files.files[system.currentDirectory + "/score.drr"].at(0), 3) << "the run recorded";
    EXPECT_FALSE(platform::HeadlessSound::Inspect(devices.sound.JingleBuffer)->playing);
}

TEST_F(Transitions, EnteringTheSelectScreenReadsTheScores) {
    files.files[system.currentDirectory + "/score.drr"] = {10, 0, 0, 0};
    form->ToSelect();
    EXPECT_TRUE(form->robot11Unlocked);
}
