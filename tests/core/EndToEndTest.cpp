// The game played from the start screen through the frame loop, keys held
// as a person would, against the computer, with the real loader and modules.
#include "GameFixture.h"
#include "ScriptedPlayer.h"

#include <set>

namespace {

class EndToEnd : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        StartGame();
        // Only Brakon and Saltrim have modules: the ladder fields Saltrim.
        for (auto& route : form->CpuLadder)
            for (std::int32_t& robot : route) robot = 4;
    }
    PlayerRecord& P(int p) { return form->players[p]; }
    void Hold(std::uint8_t key, bool down = true) { video->keyboard.SetKey(key, down); }
    // Frames until the stage is `stage` (or the cap); the stages passed on the way.
    int RunUntil(std::int32_t stage, int cap) {
        int frame = 0;
        for (; frame < cap && form->GameStage != stage && !video->application.Closed(); ++frame) Frame(frame);
        return frame;
    }
    void Frame(int frame) {
        if (form->GameStage >= StageIntro && form->GameStage <= StageFightEnd) {
            PressKeys(video->keyboard, kPlayer1Keys, P(0), P(1), frame, weapon);
            if (form->GameStage == StageFight && P(1).buttonCode != 0) ++computerPresses;
        }
        form->AppIdle();
        stages.insert(form->GameStage);
    }
    // From the mode menu: `downs` steps down the mode list, then decide
    // through the menus to the robot selection.
    void ChooseMode(int downs) {
        for (int k = 0; k < downs; ++k) {
            Hold(kPlayer1Keys.down);
            RunUntil(-1, 11);
            Hold(kPlayer1Keys.down, false);
        }
        Hold(kPlayer1Keys.weapons[0]);
        ASSERT_LT(RunUntil(StageSelect, 200), 200);
        Hold(kPlayer1Keys.weapons[0], false);
    }
    // Robot 7 for player 1, decided; the versus screen follows.
    void ChooseBrakon() {
        RunUntil(-1, 12);  // the selection's input arms
        while (form->p1RobotNumber < 7) {
            Hold(kPlayer1Keys.down);
            Frame(0);
            Hold(kPlayer1Keys.down, false);
            RunUntil(-1, 11);
        }
        ASSERT_EQ(form->p1RobotNumber, 7);
        Hold(kPlayer1Keys.weapons[0]);
        Frame(0);
        Hold(kPlayer1Keys.weapons[0], false);
    }
    std::set<std::int32_t> stages;
    int computerPresses = 0;
    int weapon = 0;  // the weapon player 1 taps
};

}  // namespace

TEST_F(EndToEnd, AOnePlayerBoutFromTheStartScreenToTheNextStage) {
    ChooseMode(0);
    ChooseBrakon();
    ASSERT_LT(RunUntil(StageVersus, 30), 30);
    EXPECT_EQ(std::tuple(form->p1RobotNumber, form->p2RobotNumber), std::tuple(7, 4));
    ASSERT_LT(RunUntil(StageFight, 400), 400);
    ASSERT_LT(RunUntil(StageFightEnd, 20000), 20000) << "the bout ends";
    const std::int32_t winner = form->FightWinner;
    RunUntil(-1, 150);
    ASSERT_FALSE(video->application.Closed());
    EXPECT_GT(computerPresses, 5) << "the computer fought";
    // The run is fixed by its seed; this one player 1 wins.
    ASSERT_EQ(winner, 1);
    EXPECT_EQ(std::tuple(form->GameStage, form->ladderStep), std::tuple(StageVersus, 1)) << "the next bout";
    EXPECT_EQ(form->p2RobotNumber, 4);
}

TEST_F(EndToEnd, ASurvivalRunFromTheStartScreenToTheNextStage) {
    ChooseMode(2);
    weapon = 2;  // the cannon wins this run
    ASSERT_EQ(form->GameMode, ModeSurvival);
    // A seed whose first draw, the opponent, is robot 4 or 7, and whose second,
    // the difficulty, is the easiest.
    for (std::uint32_t seed = 1;; ++seed) {
        form->SeedRandom(seed);
        const std::int32_t robot = form->Random() % kRobotCount + 1;
        if ((robot == 4 || robot == 7) && form->Random() % 3 + 1 == DifficultyEasy) {
            form->SeedRandom(seed);
            break;
        }
    }
    ChooseBrakon();
    ASSERT_LT(RunUntil(StageVersus, 30), 30);
    ASSERT_LT(RunUntil(StageFightEnd, 20000), 20000);
    const std::int32_t winner = form->FightWinner;
    RunUntil(-1, 149);
    EXPECT_TRUE(stages.count(StageIntro) && stages.count(StageFight));
    // The next opponent is drawn at the hand-over: again one with a module.
    for (std::uint32_t seed = 1;; ++seed) {
        form->SeedRandom(seed);
        if (const std::int32_t robot = form->Random() % kRobotCount + 1; robot == 4 || robot == 7) {
            form->SeedRandom(seed);
            break;
        }
    }
    const std::int32_t hitPoints = P(0).hitPoints;
    RunUntil(-1, 1);
    ASSERT_FALSE(video->application.Closed());
    EXPECT_GT(computerPresses, 5);
    ASSERT_EQ(winner, 1);
    EXPECT_EQ(std::tuple(form->GameStage, form->survivalKills, form->carriedHitPoints),
              std::tuple(StageVersus, 1, hitPoints));
}
