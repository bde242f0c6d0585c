#include "Devices.h"
#include "Opponent.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <tuple>
#include <vector>

namespace {

constexpr int kVidiruT = 0, kDIvo = 5, kDodar = 8;

// A bare form: the computer's robot at (400, 300) facing up, player 1 at
// `distance` to its left, every shot record reset and not in flight.
class Opponent : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto& slot : form->shotSlots)
            for (auto& row : slot)
                for (ShotRecord& shot : row) ResetShot(shot);
        Robot().posX = 400;
        Robot().posY = 300;
        Robot().heading = UN;
        form->players[0].posX = 100;
        form->players[0].posY = 300;
        form->Difficulty = DifficultyEasy;
    }
    PlayerRecord& Robot() { return form->players[1]; }
    ShotRecord& Fly(int slot, int row, int part, std::int32_t x, std::int32_t y, std::int32_t heading) {
        ShotRecord& shot = form->shotSlots[slot][row][part];
        shot.x = x;
        shot.y = y;
        shot.heading = heading;
        shot.live = 1;
        return shot;
    }
    // Seeds the generator so that the next decision of a robot drawing from k choices draws `draw`.
    void SeedForDraw(int k, int draw) {
        for (std::uint32_t seed = 1;; ++seed) {
            form->SeedRandom(seed);
            if (form->Random() % k == draw) return form->SeedRandom(seed);
        }
    }
    void Run(int profile) { RunOpponent(*form, kCpuProfiles[profile]); }
    Devices devices{};
    std::unique_ptr<TForm1> form{new TForm1(devices)};
};

}  // namespace

TEST_F(Opponent, SlideSidestepsOnlyAShotFlyingAtTheRobot) {
    // A shot straight below a robot facing up: up and up-right send it to
    // the counter-clockwise side, up-left to the clockwise side, others nowhere.
    ShotRecord& shot = Fly(0, 0, 0, 400, 450, 0);
    const std::int32_t expected[8] = {2, 2, 0, 0, 0, 0, 0, 1};
    for (int h : {UN, DN})  // facing down reads the same row
        for (int s = 0; s < 8; ++s) {
            Robot().heading = h;
            shot.heading = s;
            form->Slide();
            EXPECT_EQ(form->SlideCommand, expected[s]) << "h " << h << " s " << s;
        }
}

TEST_F(Opponent, SlideTakesTheNearestLiveShotOfPlayerOneLaterRecordsWinningTies) {
    // Heading 0 from below gives 2, heading 7 gives 1: which shot was taken shows.
    Fly(0, 0, 0, 400, 450, 0);
    Fly(0, 1, 0, 400, 450, 7);
    form->Slide();
    EXPECT_EQ(form->SlideCommand, 1) << "the later row";
    Fly(0, 1, 1, 400, 450, 0);
    form->Slide();
    EXPECT_EQ(form->SlideCommand, 2) << "the later part";
    Fly(2, 1, 1, 400, 450, 7);
    form->Slide();
    EXPECT_EQ(form->SlideCommand, 1) << "the higher slot";

    // A dead record nearer, player 2's own shots, rows 8 and 9: none of them count.
    ShotRecord& dead = Fly(3, 7, 9, 400, 301, 0);
    dead.live = 0;
    Fly(4, 0, 0, 400, 302, 0);
    Fly(0, 8, 0, 400, 303, 0);
    form->Slide();
    EXPECT_EQ(form->SlideCommand, 1);
    form->shotSlots[2][1][1].y = 451;  // one pixel further: the slot before it wins
    form->Slide();
    EXPECT_EQ(form->SlideCommand, 2);
}

// The quick search against the scan in order on random fields: shots on a
// coarse grid (ties), over the screen, or anywhere (left to the scan at times).
TEST_F(Opponent, TheQuickSearchFindsTheShotTheScanInOrderFinds) {
    std::mt19937 random(5);
    int answered = 0;
    for (int n = 0; n < 3000; ++n) {
        auto at = [&]() -> std::int32_t {
            const auto r = static_cast<std::int32_t>(random());
            return n % 3 == 0 ? (r & 3) * 40 + 320 : n % 3 == 1 ? (r & 1023) - 100 : r;
        };
        const unsigned percentLive = random() % 101;
        for (auto& slot : form->shotSlots)
            for (auto& row : slot)
                for (ShotRecord& shot : row) {
                    shot.x = at();
                    shot.y = at();
                    shot.live = random() % 100 < percentLive ? 1 : random() % 2 * 2;
                }
        const std::int32_t x = at(), y = at();
        if (const ShotRecord* quick = form->NearestShot(x, y)) {
            ++answered;
            ASSERT_EQ(quick, form->NearestShotInOrder(x, y)) << "field " << n;
        }
    }
    EXPECT_GT(answered, 1500);
}

TEST_F(Opponent, WithNoShotInFlightSlideReadsTheFirstRecordAsItLies) {
    // At (10, 10) heading up, up-left of a robot facing down-right: no sidestep.
    Robot().heading = DR;
    form->SlideCommand = 2;
    form->Slide();
    EXPECT_EQ(form->SlideCommand, 0);
    // Moved below the robot, still not live, it is taken all the same.
    form->shotSlots[0][0][0].x = 400;
    form->shotSlots[0][0][0].y = 450;
    Robot().heading = UN;
    form->Slide();
    EXPECT_EQ(form->SlideCommand, 2);
}

TEST(SlideTable, EverySidestepIsForAShotFlyingAtTheRobotOrNearly) {
    // Catches a mistyped cell: every listed shot heading lies within two
    // steps of the heading from the shot back at the robot.
    Devices devices{};
    std::unique_ptr<TForm1> form{new TForm1(devices)};
    PlayerRecord& robot = form->players[1];
    robot.posX = 400;
    robot.posY = 300;
    constexpr int kAway[8][2] = {{0, -100}, {100, -100}, {100, 0}, {100, 100}, {0, 100}, {-100, 100}, {-100, 0}, {-100, -100}};
    int sidesteps = 0;
    for (int h = 0; h < 8; ++h)
        for (int t = 0; t < 8; ++t)
            for (int s = 0; s < 8; ++s) {
                robot.heading = h;
                ShotRecord& shot = form->shotSlots[0][0][0];
                shot = {};
                shot.x = 400 + kAway[t][0];
                shot.y = 300 + kAway[t][1];
                shot.heading = s;
                shot.live = 1;
                form->SlideCommand = 9;
                form->Slide();
                ASSERT_TRUE(form->SlideCommand >= 0 && form->SlideCommand <= 2);
                if (form->SlideCommand == 0) continue;
                ++sidesteps;
                const int back = (t + 4) % 8, off = (s - back + 8) % 8;
                EXPECT_TRUE(off <= 2 || off >= 6) << h << " " << t << " " << s;
            }
    EXPECT_EQ(sidesteps, 2 * 16 + 2 * 12 + 18 + 21 + 14 + 12) << "cells listed per robot heading";
}

TEST_F(Opponent, ADecisionDrawsOnceThenFiresInPulsesAndDecidesAgainAfterItsFrames) {
    // The worked example: easy, 600 pixels apart, draw 3: advance, dash with
    // weapon 1 (pulse 8), 36 frames.
    form->players[0].posX = 400 - 600;
    SeedForDraw(5, 3);
    const std::uint32_t seed = form->randomSeed;
    Robot().axisX = 2;
    Robot().buttonCode = 4;
    Run(kVidiruT);
    EXPECT_EQ(std::tuple(form->cpuAdvance, form->cpuAction, form->cpuDuration, form->cpuState),
              std::tuple(1, 11, 36, 1));
    EXPECT_EQ(form->randomSeed, seed * 22695477u + 1u) << "one draw";
    EXPECT_EQ(std::tuple(Robot().axisX, Robot().buttonCode), std::tuple(2, 4)) << "a decide frame writes no control";

    std::vector<int> pulses;
    for (int frame = 0; frame < 36; ++frame) {
        Run(kVidiruT);
        if (Robot().buttonCode != 0) {
            EXPECT_EQ(Robot().buttonCode, ButtonDashWeapon1);
            pulses.push_back(frame);
        }
        EXPECT_EQ(form->cpuState, frame < 35 ? 1 : 0);
    }
    EXPECT_EQ(pulses, (std::vector<int>{0, 8, 16, 24, 32}));
    EXPECT_EQ(form->cpuFrame, 0);
}

TEST_F(Opponent, TheStickAddsTheAdvanceAndTheSidestepToTheFacing) {
    struct Case {
        std::int32_t heading, advance, slide, axisX, axisY;
    } cases[] = {{0, 1, 1, 1, 1}, {1, 1, 1, 1, 0}, {7, 1, 1, 0, 1}, {2, 2, 0, 2, 0}, {4, 0, 2, 1, 0}, {3, 0, 0, 0, 0}};
    for (const Case& c : cases) {
        // The routine that keeps its decide frame's dodge, so the case sets it.
        form->cpuState = 1;
        form->cpuFrame = 0;
        form->cpuAction = 1;
        form->cpuDuration = 10;
        form->cpuAdvance = c.advance;
        form->SlideCommand = c.slide;
        Robot().heading = c.heading;
        Run(kDodar);
        EXPECT_EQ(std::tuple(Robot().axisX, Robot().axisY), std::tuple(c.axisX, c.axisY))
            << c.heading << " " << c.advance << " " << c.slide;
    }
}

TEST_F(Opponent, EveryOpponentButDodarReadsTheDodgeAgainInEachExecuteFrame) {
    Fly(0, 0, 0, 400, 450, 0);  // flying up at the robot from straight below: sidestep 2
    for (int robot = 0; robot < kRobotCount; ++robot) {
        form->cpuState = 1;
        form->cpuFrame = 0;
        form->cpuAction = 1;
        form->cpuDuration = 10;
        form->SlideCommand = 1;  // its decide frame's
        Run(robot);
        EXPECT_EQ(form->SlideCommand, robot == kDodar ? 1 : 2) << "robot " << robot + 1;
    }
}

TEST_F(Opponent, TheBandsSplitAtTwoHundredFiftyAndFiveHundredWholePixels) {
    EXPECT_EQ(std::tuple(BandOf(0), BandOf(249), BandOf(250), BandOf(499), BandOf(500)),
              std::tuple(BandNear, BandNear, BandMiddle, BandMiddle, BandFar));
    // 249.97 pixels apart is near: draw 0 there fires weapon 2, in the middle weapon 1.
    struct Case {
        std::int32_t dx, dy, action;
    } cases[] = {{249, 22, 2}, {250, 0, 1}, {499, 0, 1}, {500, 0, 3}};
    for (const Case& c : cases) {
        form->players[0].posX = 400 - c.dx;
        form->players[0].posY = 300 - c.dy;
        form->cpuState = 0;
        SeedForDraw(5, 0);
        Run(kVidiruT);
        EXPECT_EQ(form->cpuAction, c.action) << c.dx << "," << c.dy;
    }
}

TEST_F(Opponent, ADrawWithoutAChoiceRunsTheLastOneOrTheRowsFirst) {
    form->players[0].posX = 400 - 700;  // the far band
    SeedForDraw(7, 5);
    Run(kDIvo);
    EXPECT_EQ(std::tuple(form->cpuAdvance, form->cpuAction, form->cpuDuration), std::tuple(2, 3, 18))
        << "nothing to repeat yet: the row's first choice";

    form->cpuState = 0;
    form->cpuAdvance = 1;
    form->cpuAction = 12;
    form->cpuDuration = 35;
    SeedForDraw(7, 6);
    Run(kDIvo);
    EXPECT_EQ(std::tuple(form->cpuAdvance, form->cpuAction, form->cpuDuration, form->cpuState),
              std::tuple(1, 12, 35, 1));
}
