#include "GameFixture.h"

namespace {

class Input : public GameFixture {
protected:
    void Press(std::initializer_list<std::uint8_t> keys) {
        video->keyboard.ReleaseAll();
        for (std::uint8_t key : keys) video->keyboard.SetKey(key, true);
        form->ControlHead();
    }
    PlayerRecord& P1() { return form->players[0]; }
    PlayerRecord& P2() { return form->players[1]; }
};

}  // namespace

TEST_F(Input, KeysResolveTheirConflictsAsTheGameWants) {
    form->GameMode = ModeTwoPlayers;
    Press({'D', 'A', 'W', 'S'});
    EXPECT_EQ(P1().axisX, 1) << "right wins over left";
    EXPECT_EQ(P1().axisY, 1) << "up wins over down";
    Press({'V', 'B'});
    EXPECT_EQ(P1().buttonCode, ButtonDash);
    Press({'J', 'H'});
    EXPECT_EQ(P1().buttonCode, 2);
    Press({'V', 'J'});
    EXPECT_EQ(P1().buttonCode, 9);
    Press({platform::VkAdd, platform::VkNumpad2, platform::VkLeft});
    EXPECT_EQ(P2().buttonCode, ButtonGuard) << "guard before weapons without dash";
    EXPECT_EQ(P2().axisX, 2);
}

TEST_F(Input, AgainstTheComputerPlayerTwosKeysDoNothing) {
    for (std::int32_t mode : {ModeOnePlayer, ModeSurvival}) {
        form->GameMode = mode;
        P2().axisX = 0;
        Press({platform::VkRight, platform::VkNumpad4});
        EXPECT_EQ(P2().axisX, 0);
        EXPECT_EQ(P2().buttonCode, 0);
    }
}

TEST_F(Input, AJoystickDrivesItsPlayerInsteadOfTheKeyboard) {
    video->joysticks.Connect(0);
    form->FormShow();
    form->GameMode = ModeTwoPlayers;
    EXPECT_EQ(form->joyCentre, 32768u);
    EXPECT_EQ(form->joy2Centre, 0u) << "no second stick at start-up";

    video->joysticks.SetPosition(0, {40000, 100, 0xC0});
    Press({'A', 'G'});
    EXPECT_EQ(P1().axisX, 1);
    EXPECT_EQ(P1().axisY, 1) << "a y below the centre is up";
    EXPECT_EQ(P1().buttonCode, ButtonGuard);

    video->joysticks.SetPosition(0, {32768, 32768, 0x03});  // two weapon buttons: unlisted
    Press({});
    EXPECT_EQ(P1().buttonCode, ButtonGuard);
    EXPECT_EQ(P1().axisX, 0);

    // A stick plugged in later takes its centre when it first answers, not 0.
    video->joysticks.Connect(1);
    video->joysticks.SetPosition(1, {32768, 32768, 0x84});
    Press({platform::VkLeft});
    EXPECT_EQ(form->joy2Centre, 32768u);
    EXPECT_EQ(P2().axisX, 0);
    EXPECT_EQ(P2().buttonCode, 9);
}

TEST_F(Input, DecodingBuildsAccelerationStepsAndDirectionCodes) {
    PlayerRecord& p = P1();
    p.axisX = 1;
    std::vector<int> steps;
    for (int frame = 0; frame < 5; ++frame) {
        DecodeInput(p);
        steps.push_back(p.accel[1]);
    }
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 3, 3}));
    p.axisX = 2;
    p.axisY = 2;
    DecodeInput(p);
    EXPECT_EQ(p.accel[0], 1);
    EXPECT_EQ(p.accel[1], 0);
    EXPECT_EQ(p.directionCode, 21);
    p.axisX = 1;
    p.axisY = 1;
    DecodeInput(p);
    EXPECT_EQ(p.directionCode, 12);
    p.axisX = p.axisY = 0;
    DecodeInput(p);
    EXPECT_EQ(p.accel[1] + p.accel[2] + p.directionCode, 0);
}

TEST_F(Input, DecodingCountsHeldWeaponsAndSetsGuardAndDash) {
    PlayerRecord& p = P1();
    p.buttonCode = 3;
    DecodeInput(p);
    DecodeInput(p);
    EXPECT_EQ(p.holdFrames[2], 2);
    p.buttonCode = 8;  // dash with weapon 2
    DecodeInput(p);
    EXPECT_EQ(p.holdFrames[2], 0);
    EXPECT_EQ(p.holdFrames[1], 1);
    EXPECT_EQ(p.dashRequest, 1);
    EXPECT_EQ(p.guardRequest, 0);
    p.buttonCode = ButtonGuard;
    DecodeInput(p);
    EXPECT_EQ(p.guardRequest, 1);
    EXPECT_EQ(p.dashRequest, 0);
    p.buttonCode = 42;  // not a code: everything stands
    DecodeInput(p);
    EXPECT_EQ(p.guardRequest, 1);
}
