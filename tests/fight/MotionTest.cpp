#include "Direction.h"
#include "GameFixture.h"
#include "Motion.h"
#include "Shots.h"

#include <limits>
#include <tuple>
#include <vector>

namespace {

// Brakon (gauge 520, half sizes 30, recovery 6) against a bare 20 x 20 target.
class Motion : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        form->MakeDefaultWeapon();
        form->DoviIn1();
        form->robotDescs[1].hitHalfWidth = form->robotDescs[1].hitHalfHeight = 20;
        P2().robot = &form->robotDescs[1];
        P1().posX = P1().posY = 300;
        P2().posX = P2().posY = 500;
        Enter(0, ActionIdle);
    }
    PlayerRecord& P1() { return form->players[0]; }
    PlayerRecord& P2() { return form->players[1]; }
    MotionNode& Node(int n) { return form->motionGraphs[0].nodes[n]; }
    void Enter(int n, std::int32_t state) {
        P1().motionNode = &Node(n);
        P1().actionState = state;
    }
    void Speeds(int right, int down) {
        P1().speed[SenseRight] = right;
        P1().speed[SenseDown] = down;
    }
};

int Toward(int x, int y) {
    PlayerRecord to{};
    to.posX = x;
    to.posY = y;
    return DirectionBetween(0, 0, to);
}

// The real modules' graphs, walked by the game's own motion code (player 1).
class ModuleMotion : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        form->MakeDefaultWeapon();
    }
    void Bind(int robot) {
        BindRobot(*form, 0, robot);
        const PlayerRecord bound = P1();
        P1() = PlayerRecord{};
        P1().motionNode = bound.motionNode;
        P1().robot = bound.robot;
    }
    PlayerRecord& P1() { return form->players[0]; }
    const MotionNode* Node(int n) { return &form->motionGraphs[0].nodes[n]; }
    // In node n performing `action`, on the node's last frame.
    void Ending(int n, std::int32_t action) {
        P1().motionNode = Node(n);
        P1().actionState = action;
        P1().motionFrame = Node(n)->frameCount - 1;
    }
    // Frames from a press of weapon 1 in the neutral node until its motion fires.
    int FramesToFire(int robot) {
        Bind(robot);
        P1().buttonCode = 1;
        for (int frame = 1; frame <= 60; ++frame) {
            DecodeInput(P1());
            StartAction(*form, 0);
            AdvanceMotion(*form, 0);
            if (P1().motionNode->fires == 1) return frame;
        }
        return -1;
    }
};

}  // namespace

TEST(MotionDirection, SectorsSplitNearTheirSixtyAndThirtyDegreeBorders) {
    // A point at a robot's position + (97, 168) lies just inside up-left.
    EXPECT_EQ(Toward(-97, -168), UL);
    EXPECT_EQ(Toward(97, -168), UR);
    EXPECT_EQ(Toward(-96, -168), UN);
    EXPECT_EQ(Toward(0, -10), UN);
    EXPECT_EQ(Toward(10, 0), NR);
    EXPECT_EQ(Toward(2, -1), NR);
    EXPECT_EQ(Toward(1, -2), UN);
    EXPECT_EQ(Toward(1, -1), UR);
    EXPECT_EQ(Toward(-5, 5), DL);
    EXPECT_EQ(Toward(0, 0), UN);
}

TEST_F(Motion, InputSetsTheSpeedCellsOfTheFacingRowAndReleasedSensesCoast) {
    P1().heading = NR;
    P1().directionCode = 22;  // down-right
    P1().accel[SenseRight] = P1().accel[SenseDown] = 2;
    UpdateSpeed(P1());
    EXPECT_EQ(P1().speed[SenseRight], 4);
    EXPECT_EQ(P1().speed[SenseDown], 3);
    P1().directionCode = 0;
    P1().decelTick = 0;
    for (int frame = 0; frame < 8; ++frame) UpdateSpeed(P1());
    EXPECT_EQ(P1().speed[SenseRight], 2) << "one less every 4 frames";
}

TEST_F(Motion, TheGaugeDrainsUnderDashAndRegeneratesToOneBelowItsMaximum) {
    P1().heading = NR;
    P1().directionCode = 2;
    P1().accel[SenseRight] = 1;
    P1().dashRequest = 1;
    P1().gauge = 51;
    MoveRobot(P1(), P2());
    EXPECT_EQ(P1().speed[SenseRight], 9) << "the dash table";
    MoveRobot(*form, 0);
    EXPECT_EQ(P1().speed[SenseRight], 4) << "the normal table";
    EXPECT_EQ(P1().gauge, 43);
    P1().gauge = 6;
    for (int frame = 0; frame < 3; ++frame) MoveRobot(P1(), P2());
    EXPECT_EQ(P1().gauge, 2);
    P1().dashRequest = 0;
    P1().gauge = 518;
    for (int frame = 0; frame < 3; ++frame) MoveRobot(P1(), P2());
    EXPECT_EQ(P1().gauge, 519);
}

TEST_F(Motion, ADashNeedsMoreThanFiftyGaugeAndNeverDrainsItToZero) {
    P1().heading = NR;
    P1().directionCode = 2;
    P1().accel[SenseRight] = 1;
    P1().dashRequest = 1;
    P1().gauge = 50;
    MoveRobot(P1(), P2());
    EXPECT_EQ(P1().speed[SenseRight], 4) << "the normal table at exactly fifty";
    EXPECT_EQ(P1().gauge, 46);
    P1().gauge = 4;
    MoveRobot(P1(), P2());
    EXPECT_EQ(P1().gauge, 4) << "a drain that would leave exactly 0 is not taken";
}

TEST_F(Motion, AMoveIntoTheOtherRobotIsRefusedOnBothAxesOnePastTheFieldOnThatAxisOnly) {
    P2().posX = P2().posY = 355;  // 5 pixels apart on each axis
    Speeds(6, 6);                 // either axis alone would be free
    MoveRobot(P1(), P2());
    EXPECT_EQ(P1().posX + P1().posY, 600);
    Speeds(5, 5);  // edges touch: no overlap
    MoveRobot(P1(), P2());
    EXPECT_EQ(P1().posX + P1().posY, 610);
    P1().posX = 795;
    MoveRobot(P1(), P2());
    EXPECT_EQ(P1().posX, 795);
    EXPECT_EQ(P1().posY, 310);
}

TEST_F(Motion, ARobotTurnsOnlyWhereItsNodeLetsItAndFacesItsDashWhileDashing) {
    P1().heading = UN;
    Node(0).canTurn = 2;  // anything but 1 holds the heading
    FaceOpponent(*form, 0);
    EXPECT_EQ(P1().heading, UN);
    Node(0).canTurn = 1;
    FaceOpponent(*form, 0);
    EXPECT_EQ(P1().heading, DR) << "toward the opponent";
    P1().dashRequest = 1;
    P1().directionCode = 21;  // dashing down-left
    FaceOpponent(*form, 0);
    EXPECT_EQ(P1().heading, DL);
    P1().directionCode = 0;
    FaceOpponent(*form, 0);
    EXPECT_EQ(P1().heading, DL);
}

TEST_F(Motion, WhileAttackingOnlyANewPressOfThatWeaponRestartsItClearingTheLatch) {
    Enter(14, 1);  // the gun's firing node, which can act
    P1().motionFrame = 1;
    P1().volleyLatch = 1;
    P1().holdFrames[1] = 1;
    P1().guardRequest = 1;
    StartAction(*form, 0);
    EXPECT_EQ(std::tuple(P1().actionState, P1().motionFrame, P1().volleyLatch), std::tuple(1, 1, 1))
        << "another weapon and the guard wait";
    P1().holdFrames[0] = 1;
    Node(14).canAct = 0;
    StartAction(*form, 0);
    EXPECT_EQ(std::tuple(P1().motionFrame, P1().volleyLatch), std::tuple(1, 1)) << "a node that cannot act";
    Node(14).canAct = 1;
    StartAction(*form, 0);
    EXPECT_EQ(std::tuple(P1().motionNode, P1().actionState, P1().motionFrame, P1().volleyLatch, P1().holdFrames[0]),
              std::tuple(&Node(14), 1, 0, 0, 2));

    Enter(0, ActionIdle);  // Brakon's neutral node cannot act
    StartAction(*form, 0);
    EXPECT_EQ(std::tuple(P1().motionNode, P1().actionState), std::tuple(&Node(0), ActionIdle));
    Node(0).canAct = 1;
    StartAction(*form, 0);
    EXPECT_EQ(std::tuple(P1().motionNode, P1().actionState), std::tuple(&Node(60), ActionGuard)) << "guard first";
}

TEST_F(Motion, ANodeEndTakesTheGuardThenTheFirstHeldWeaponThenItsNextNode) {
    const auto end = [&](int n) {
        Enter(n, 1);
        P1().motionFrame = Node(n).frameCount - 1;
        P1().volleyLatch = 1;
        AdvanceMotion(*form, 0);
        return std::tuple(P1().motionNode, P1().actionState, P1().volleyLatch);
    };
    P1().guardRequest = 1;
    P1().holdFrames[1] = P1().holdFrames[2] = 3;
    EXPECT_EQ(end(12), std::tuple(&Node(13), ActionGuard, 1));
    P1().guardRequest = 0;
    EXPECT_EQ(end(12), std::tuple(&Node(13), 2, 1)) << "weapon 2 before weapon 3";
    P1().holdFrames[1] = P1().holdFrames[2] = 0;
    EXPECT_EQ(end(12), std::tuple(&Node(13), 1, 0)) << "the next node, still in the attack";
    EXPECT_EQ(end(16), std::tuple(&Node(0), ActionIdle, 0)) << "back to a neutral pose";
}

TEST_F(Motion, ADashCoastsAtThePaceOfTheNormalTablesFirstRow) {
    P1().heading = DR;
    P1().directionCode = 0;
    P1().speed[SenseRight] = 10;
    P1().decelTick = 0;
    P1().dashTable.rows[0].decelPeriod = P1().dashTable.rows[DR].decelPeriod = P1().moveTable.rows[DR].decelPeriod = 5;
    P1().moveTable.rows[0].decelPeriod = 2;
    UpdateSpeedDash(P1());
    UpdateSpeedDash(P1());
    EXPECT_EQ(P1().speed[SenseRight], 9);
}

TEST_F(Motion, ANodeThatCannotMoveStopsTheRobotAndItsAcceleration) {
    Enter(36, 3);  // the planted cannon
    for (int sense = 0; sense < 4; ++sense) P1().speed[sense] = P1().accel[sense] = 2;
    P1().gauge = 100;
    P1().dashRequest = 1;
    MoveRobot(P1(), P2());
    const std::vector<std::int32_t> zero(4, 0);
    EXPECT_EQ(std::vector<std::int32_t>(std::begin(P1().speed), std::end(P1().speed)), zero);
    EXPECT_EQ(std::vector<std::int32_t>(std::begin(P1().accel), std::end(P1().accel)), zero);
    EXPECT_EQ(std::tuple(P1().posX, P1().posY, P1().gauge), std::tuple(300, 300, 100));
}

TEST_F(Motion, AStunnedRobotIsKnockedBackAlongItsHeading) {
    const MoveStep steps[8] = {{0, -12}, {15, -12}, {15, 0}, {15, 12}, {0, 12}, {-15, 12}, {-15, 0}, {-15, -12}};
    for (int h = 0; h < 8; ++h) {
        EXPECT_EQ(KnockBackStep(h).x, steps[h].x) << h;
        EXPECT_EQ(KnockBackStep(h).y, steps[h].y) << h;
    }
    Enter(72, ActionHit);
    P1().knockBackHeading = DL;
    Speeds(2, 0);
    MoveRobot(P1(), P2());
    EXPECT_EQ(P1().posX, 287);
    EXPECT_EQ(P1().posY, 312);
}

TEST_F(Motion, AStunLastsItsLengthOverTheRecoveryStep) {
    Enter(72, ActionHit);
    P1().stunFrames = 20;  // recovery 6
    int frames = 0;
    for (; P1().actionState == ActionHit && frames < 100; ++frames) AdvanceMotion(*form, 0);
    EXPECT_EQ(frames, 4);
    form->robotDescs[0].stunRecoveryStep = 0;
    Enter(72, ActionHit);
    for (int frame = 0; frame < 100; ++frame) AdvanceMotion(*form, 0);
    EXPECT_EQ(P1().motionNode, &Node(72));
}

TEST_F(Motion, AStunOfWholeRecoveryStepsEndsOnItsLastStep) {
    Enter(72, ActionHit);
    P1().stunFrames = 18;  // recovery 6: three steps, not four
    int frames = 0;
    for (; P1().actionState == ActionHit && frames < 100; ++frames) AdvanceMotion(*form, 0);
    EXPECT_EQ(frames, 3);
}

TEST_F(Motion, ALinkThatNamesNoWholeNodeIsRefused) {
    Node(0).nextNode = 7;  // inside node 0
    AdvanceMotion(*form, 0);
    EXPECT_EQ(P1().motionNode, &Node(0));
    Node(36).guardNode = sizeof(MotionGraph);
    Enter(36, ActionIdle);
    P1().guardRequest = 1;
    StartAction(*form, 0);
    for (int frame = 0; frame < 4; ++frame) AdvanceMotion(*form, 0);
    EXPECT_EQ(P1().motionNode, &Node(36));
    EXPECT_EQ(P1().actionState, ActionIdle);
}

TEST_F(Motion, CountersStopAtTheEndOfTheIntRange) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    Node(5).frameCount = 0;  // never ends by time
    Enter(5, ActionIdle);
    P1().motionFrame = P1().decelTick = P1().holdFrames[0] = kMax;
    P1().buttonCode = 1;
    AdvanceMotion(*form, 0);
    UpdateSpeed(P1());
    StartAction(*form, 0);
    DecodeInput(P1());
    EXPECT_EQ(P1().motionFrame, kMax);
    EXPECT_EQ(P1().decelTick, kMax);
    EXPECT_EQ(P1().holdFrames[0], kMax) << "room left for the next frame's count";
}

TEST_F(ModuleMotion, AChainEndTakesTheGuardThenTheLowestHeldWeaponThenItsNextNode) {
    Bind(10);  // its weapon-3 wind-up may still turn to the guard
    Ending(36, 3);
    P1().guardRequest = 1;
    AdvanceMotion(*form, 0);
    EXPECT_EQ(std::tuple(P1().motionNode, P1().actionState), std::tuple(Node(60), ActionGuard));

    Bind(9);  // weapon 2 held through weapon 4's wind-up fires from weapon 4's firing node
    Ending(48, 4);
    P1().holdFrames[1] = 5;
    AdvanceMotion(*form, 0);
    EXPECT_EQ(std::tuple(P1().motionNode, P1().actionState), std::tuple(Node(49), 2));

    Bind(3);  // weapon 1 held at the end of weapon 2's second firing node jumps to the first
    Ending(26, 2);
    P1().holdFrames[0] = 3;
    AdvanceMotion(*form, 0);
    EXPECT_EQ(std::tuple(P1().motionNode, P1().actionState), std::tuple(Node(25), 1));
    P1().holdFrames[0] = 0;  // weapon 2 alone repeats the firing node for as long as it is held
    P1().holdFrames[1] = 9;
    for (int frame = 0; frame < 30; ++frame) AdvanceMotion(*form, 0);
    EXPECT_EQ(std::tuple(P1().motionNode, P1().actionState), std::tuple(Node(25), 2));
}

TEST_F(ModuleMotion, ARobotWhoseNeutralNodeCannotActStartsOneFrameLater) {
    const int acting = FramesToFire(1);
    ASSERT_GT(acting, 0);
    EXPECT_EQ(FramesToFire(11), acting + 1);
}

TEST_F(ModuleMotion, AGuardBrokenInTheGuardNodeStaysThere) {
    BindRobot(*form, 1, 11);
    PlayerRecord& guard = form->players[1];
    const MotionNode* guardNode = &form->motionGraphs[1].nodes[60];
    guard.motionNode = guardNode;
    guard.actionState = ActionGuard;
    guard.posX = guard.posY = 300;
    guard.hitPoints = 100;
    ShotPhase& blow = form->tracks[0][0].planes[0][0].phases[0];
    blow = ShotPhase{};
    blow.damage = 8;
    blow.stun = 30;
    blow.hitKind = 1;
    blow.halfHeight = blow.halfWidth = 5;
    blow.guardBreak = 1;
    ShotRecord shot{};
    shot.x = shot.y = 300;
    shot.live = shot.canHit = shot.visible = 1;
    shot.weapon = &form->weapons[0][0];
    shot.phase = &blow;
    ASSERT_EQ(HitTestShot(*form, 0, shot), HitLanded);
    EXPECT_EQ(std::tuple(guard.actionState, guard.motionNode), std::tuple(ActionHit, guardNode));
}
