// The robots' weapons as the fight plays them: the real modules bound for a
// two-player bout, fired through their motions by the game's own frame.
#include "GameFixture.h"

#include <tuple>

namespace {

class WeaponPlay : public GameFixture {
protected:
    // Player 1's robot against a guarding or idle robot 7, in mid-field, robot 7 to the right.
    void Start(int robot) {
        StartGame();
        Bout(robot);
    }
    void Bout(int robot) {
        EnterBout(ModeTwoPlayers, robot, 7);
        SkipIntro();
    }
    // Presses the weapon for a frame, then runs until the motion reaches a node that fires:
    // the next frame launches.
    void ToFiringNode(int weapon) {
        P(0).buttonCode = weapon;
        Frames(1);
        P(0).buttonCode = 0;
        for (int frame = 0; frame < 60 && P(0).motionNode->fires != 1; ++frame) Frames(1);
        ASSERT_EQ(P(0).motionNode->fires, 1);
    }
    ShotRecord& Shot(int weapon, int row, int part) { return form->shotSlots[weapon - 1][row][part]; }
    int LiveParts(int weapon) {
        int live = 0;
        for (auto& row : form->shotSlots[weapon - 1])
            for (ShotRecord& shot : row) live += shot.live;
        return live;
    }
};

class EveryWeapon : public WeaponPlay, public ::testing::WithParamInterface<int> {};

// Robot, weapon, part, and the frames its shot lives from its launch when it hits nothing.
class Lifetime : public WeaponPlay, public ::testing::WithParamInterface<std::tuple<int, int, int, int>> {};

// Robot, and what its strike takes from a guarding robot 7 standing next to it.
class GuardedStrike : public WeaponPlay, public ::testing::WithParamInterface<std::tuple<int, int>> {};

}  // namespace

TEST_P(GuardedStrike, TakesAQuarterOnceBreaksTheGuardAndCostsNeitherGaugeNorAmmunition) {
    const auto [robot, loss] = GetParam();
    Start(robot);
    Place(1, 360, 300);
    P(1).buttonCode = 5;  // held
    Frames(2);
    ASSERT_EQ(P(1).actionState, ActionGuard);
    ToFiringNode(2);
    P(0).gauge = P(0).robot->gaugeMax - 1;  // where regeneration stops
    const std::int32_t before = P(1).hitPoints;
    for (int frame = 0; frame < 30; ++frame) Frames(1);
    EXPECT_EQ(before - P(1).hitPoints, loss);
    EXPECT_GT(P(1).stunFrames, 0) << "the guard was broken (a guard node's hit keeps it guarding)";
    EXPECT_EQ(std::tuple(P(0).gauge, P(0).ammo[1]), std::tuple(P(0).robot->gaugeMax - 1, 256));
}

INSTANTIATE_TEST_SUITE_P(SingleHitStrikes, GuardedStrike,
                         ::testing::Values(std::tuple(1, 10), std::tuple(2, 8), std::tuple(3, 12), std::tuple(8, 20),
                                           std::tuple(9, 13), std::tuple(10, 8)));

TEST_P(EveryWeapon, FiresFromItsMotion) {
    Start(GetParam());
    const int weapons = form->shotSlots[3][0][0].weapon == &form->DummyWeapon ? 3 : 4;
    for (int weapon = 1; weapon <= weapons; ++weapon) {
        ToFiringNode(weapon);
        Frames(1);
        EXPECT_GT(LiveParts(weapon), 0) << "weapon " << weapon;
        Frames(90);  // back to the neutral node
    }
}

INSTANTIATE_TEST_SUITE_P(EveryRobot, EveryWeapon, ::testing::Range(1, kRobotCount + 1));

TEST_F(WeaponPlay, AStrikeRunsItsPhasesUnlessItsOwnerIsHit) {
    Start(1);
    Place(1, 700, 300);
    ToFiringNode(2);
    int frames = 0;
    for (Frames(1); Shot(2, 0, 0).live && frames < 100; ++frames) Frames(1);
    EXPECT_EQ(frames + 1, 24) << "frames from the launch";

    Frames(40);
    ToFiringNode(2);
    Frames(2);
    ASSERT_TRUE(Shot(2, 0, 0).live);
    P(0).actionState = ActionHit;
    Frames(1);
    EXPECT_FALSE(Shot(2, 0, 0).live);
}

TEST_F(WeaponPlay, AChainHitsEveryFrameItOverlapsWhileItCanHit) {
    Start(6);
    const std::int32_t before = P(1).hitPoints;
    ToFiringNode(2);
    for (int frame = 0; frame < 25; ++frame) {
        Place(1, 350, 300);  // held in the zone against the knock-back
        Frames(1);
    }
    EXPECT_EQ(before - P(1).hitPoints, 144) << "12 hits of 12";
}

TEST_F(WeaponPlay, AGuardTakesAMachineGunVolleyWithoutStun) {
    Start(2);
    P(1).buttonCode = 5;
    Frames(2);
    const std::int32_t before = P(1).hitPoints;
    ToFiringNode(1);
    Frames(25);
    EXPECT_EQ(std::tuple(before - P(1).hitPoints, P(1).actionState), std::tuple(6, ActionGuard));
}

TEST_F(WeaponPlay, ARifleBulletFliesFiftyFramesAlongTheFacing) {
    Start(11);
    Place(1, 50, 475);  // down-left, off the bullet's line
    ToFiringNode(1);
    Frames(1);
    const ShotRecord& bullet = Shot(1, 0, 0);
    EXPECT_EQ(std::tuple(bullet.x, bullet.y), std::tuple(300 - 25 - 15, 300 + 25 + 15)) << "launched and moved once";
    Frames(48);
    EXPECT_TRUE(bullet.live);
    Frames(1);
    EXPECT_FALSE(bullet.live);
}

TEST_F(WeaponPlay, AGrenadeFlies400PerAxisDiagonallyAndBlastsWhereItStopped) {
    Start(3);
    Place(0, 150, 100);
    Place(1, 700, 560);  // down-right
    ToFiringNode(1);
    Frames(45);
    const ShotRecord& grenade = Shot(1, 0, 0);
    EXPECT_EQ(std::tuple(grenade.x, grenade.y, grenade.phase->velocityX), std::tuple(550, 500, 0));
    EXPECT_GT(grenade.phase->halfWidth, 12) << "a blast step";
}

TEST_F(WeaponPlay, AMineIsThrownBackThenCreepsTowardTheOpponentAndBurstsOnTime) {
    Start(6);
    ToFiringNode(3);
    Frames(5);
    const ShotRecord& mine = Shot(3, 0, 0);
    EXPECT_EQ(std::tuple(mine.x, mine.y), std::tuple(300 - 150, 300)) << "thrown back from its owner facing right";
    form->robotDescs[1].hitHalfWidth = form->robotDescs[1].hitHalfHeight = 0;  // nothing to hit
    Place(1, 150, 500);
    Frames(1);
    EXPECT_EQ(std::tuple(mine.x, mine.y), std::tuple(150, 305)) << "straight down at an opponent below";
    Place(1, 350, 505);
    Frames(1);
    EXPECT_EQ(std::tuple(mine.x, mine.y), std::tuple(155, 310)) << "on both axes toward one down-right";
    int frames = 7;
    for (; mine.phase->shotMode == ShotChasing && frames < 200; ++frames) Frames(1);
    EXPECT_EQ(frames, 125) << "the burst begins 5 + 120 frames after the launch";
}

TEST_F(WeaponPlay, ABeamPaysEachSegmentWithGaugeOnlyAndEndsWhenItsOwnerIsHit) {
    Start(10);
    Place(1, 600, 1);  // up-right
    ToFiringNode(3);
    P(0).gauge = 600;
    Frames(1);
    EXPECT_EQ(std::tuple(LiveParts(3), P(0).gauge), std::tuple(10, 440));
    const ShotRecord& segment = Shot(3, 0, 3);
    EXPECT_EQ(std::tuple(segment.x, segment.y), std::tuple(300 + 245 + 15, 300 - 245 - 15));
    P(0).actionState = ActionHit;
    Frames(1);
    EXPECT_EQ(LiveParts(3), 0);

    Bout(10);
    ToFiringNode(3);
    P(0).gauge = 200;
    Frames(3);
    EXPECT_EQ(std::tuple(LiveParts(3), P(0).gauge, P(0).ammo[2]), std::tuple(5, 120, 256)) << "no ammunition fall-back";
    Frames(4);
    EXPECT_TRUE(Shot(3, 0, 0).live);
    Frames(1);
    EXPECT_FALSE(Shot(3, 0, 0).live) << "segments of robot 10 live 8 frames";
}

TEST_P(Lifetime, OfAShotThatHitsNothingIsItsPhasesWithoutItsTurns) {
    const auto [robot, weapon, part, frames] = GetParam();
    Start(robot);
    form->robotDescs[1].hitHalfWidth = form->robotDescs[1].hitHalfHeight = 0;  // nothing to hit
    ToFiringNode(weapon);
    int lived = 0;
    do {
        Frames(1);
        ++lived;
    } while (Shot(weapon, 0, part).live && lived < 300);
    EXPECT_EQ(lived, frames);
}

INSTANTIATE_TEST_SUITE_P(SteeredRocketsAndShells, Lifetime,
                         ::testing::Values(std::tuple(8, 3, 0, 104), std::tuple(2, 3, 5, 108), std::tuple(11, 2, 0, 108),
                                           std::tuple(8, 4, 3, 65), std::tuple(9, 4, 5, 65), std::tuple(11, 3, 0, 72),
                                           // The cluster's bomblets burst in the order 0, 4, 1, 3, then 2 and 5.
                                           std::tuple(3, 4, 0, 64), std::tuple(3, 4, 4, 66), std::tuple(3, 4, 1, 68),
                                           std::tuple(3, 4, 3, 70), std::tuple(3, 4, 2, 72), std::tuple(3, 4, 5, 72)));

TEST_F(WeaponPlay, AShellFollowsUntilItFallsFallsHarmlesslyAndBurstsWhereTheOpponentStood) {
    Start(11);
    ToFiringNode(3);
    const ShotRecord& shell = Shot(3, 0, 0);
    const std::int32_t hitPoints = P(1).hitPoints;
    Frames(1 + 12 + 8);
    Place(1, 450, 350);  // walks off while the shell aims
    Frames(7);
    EXPECT_EQ(std::tuple(shell.x, shell.y), std::tuple(450, 350 - 600)) << "aimed straight above it";
    Frames(19);
    EXPECT_EQ(std::tuple(shell.x, P(1).hitPoints), std::tuple(450, hitPoints)) << "falling onto it, harmless";
    Frames(1);
    EXPECT_EQ(hitPoints - P(1).hitPoints, 100) << "the burst";

    // Stepped 130 off on each axis as the fall begins: outside the first burst step, inside the last.
    Bout(11);
    ToFiringNode(3);
    const std::int32_t before = P(1).hitPoints;
    Frames(1 + 12 + 8 + 8);
    Place(1, P(1).posX + 130, P(1).posY + 130);
    for (int frame = 0; frame < 60 && P(1).hitPoints == before; ++frame) Frames(1);
    EXPECT_EQ(before - P(1).hitPoints, 100);
    EXPECT_GT(shell.phase->halfWidth, 40) << "the first burst step misses it, a wider one does not";
}

TEST_F(WeaponPlay, ASteeringShotTurnsBackAtOnceWhileARocketNeverTurns) {
    Start(8);
    form->robotDescs[1].hitHalfWidth = form->robotDescs[1].hitHalfHeight = 0;  // nothing to hit
    ToFiringNode(3);
    Frames(8 + 24);
    const ShotRecord& shot = Shot(3, 0, 0);
    ASSERT_EQ(shot.phase->shotMode, ShotSteered);
    Place(1, shot.x - 300, shot.y);  // behind it
    const std::int32_t x = shot.x;
    Frames(1);
    EXPECT_EQ(std::tuple(shot.heading, shot.x), std::tuple(NL, x - 15));

    Frames(120);
    ToFiringNode(4);
    Frames(1);
    const ShotRecord& rocket = Shot(4, 0, 0);
    const std::int32_t heading = rocket.heading;
    for (int frame = 0; frame < 60 && rocket.live; ++frame) {
        Place(1, rocket.x - 200, rocket.y + 100 - 50 * (frame % 3));  // anywhere but ahead
        Frames(1);
        ASSERT_EQ(rocket.heading, heading);
    }
}
