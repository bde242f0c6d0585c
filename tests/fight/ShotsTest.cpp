#include "GameFixture.h"
#include "Shots.h"

#include <limits>
#include <tuple>

namespace {

// Brakon (player 1, gun of 3 parts x 5 volleys) against Saltrim, with fire sounds.
class ShotLaunch : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        form->StartDS();
        form->MakeDefaultWeapon();
        form->DoviIn1();
        form->DFIN2();
        firing.fires = 1;
        P1().motionNode = &firing;
        P1().actionState = 1;
        P1().posX = 300;
    }
    PlayerRecord& P1() { return form->players[0]; }
    int FireSounds() const { return platform::HeadlessSound::Inspect(devices.sound.WeaponSoundBuffers[0][0])->plays; }
    MotionNode firing{};
};

// A bare form with hand-made phases in player 1's first track table; player 2
// is the target, a 20 x 20 rectangle around (100, 100).
class ShotFlight : public ::testing::Test {
protected:
    void SetUp() override {
        form->robotDescs[1].hitHalfWidth = form->robotDescs[1].hitHalfHeight = 10;
        target = {};
        target.robot = &form->robotDescs[1];
        target.posX = target.posY = 100;
        target.hitPoints = 100;
        target.motionNode = &graph.nodes[0];
        graph.nodes[0].hitNode = MakeLink(graph, graph.nodes[70]);
        shot.weapon = &form->weapons[0][0];
        shot.phase = &Phase(0);
        shot.live = shot.canHit = shot.visible = 1;
        form->weapons[0][0].volleys = form->weapons[0][0].shotsPerVolley = 1;
        firing.fires = 1;
        owner.motionNode = &firing;
        owner.actionState = 1;
    }
    ShotPhase& Phase(int n) { return form->tracks[0][0].planes[0][0].phases[n]; }
    Link LinkTo(int n) { return MakeLink(form->tracks[0][0], Phase(n)); }
    // A 4 x 4 shot of damage 7 and stun 20 overlapping the robot's left edge by `overlap`.
    void Aim(int hitKind, int overlap) {
        Phase(0).hitKind = hitKind;
        Phase(0).halfWidth = Phase(0).halfHeight = 2;
        Phase(0).damage = 7;
        Phase(0).stun = 20;
        shot.x = 88 + overlap;
        shot.y = 100;
    }
    Devices devices{};
    std::unique_ptr<TForm1> form{new TForm1(devices)};
    MotionGraph& graph = form->motionGraphs[1];
    PlayerRecord& target = form->players[1];
    PlayerRecord& owner = form->players[0];
    ShotRecord& shot = form->shotSlots[0][0][0];
    MotionNode firing{};
};

}  // namespace

TEST_F(ShotLaunch, APartStillInFlightIsPassedOverAndTheNextVolleyLeavesToo) {
    form->weapons[0][0].volleys = 2;
    P1().ammo[0] = 10;
    P1().heading = UL;
    auto& rows = form->shotSlots[0];
    rows[0][2].live = 1;
    rows[0][2].x = -5;
    const ShotPhase* before = rows[1][1].phase;
    form->ShotWeapon();

    for (int part = 0; part < 3; ++part) EXPECT_TRUE(rows[0][part].live && rows[1][part].live) << part;
    EXPECT_EQ(std::tuple(rows[0][2].x, int{rows[2][0].live}, P1().ammo[0], P1().volleyLatch), std::tuple(-5, 0, 5, 1));
    EXPECT_EQ(FireSounds(), 2) << "part 0 of each volley";
    EXPECT_EQ(rows[1][1].x, 300 + form->weapons[0][0].launchOffsets[UL][1].x);
    EXPECT_EQ(rows[1][1].phase, ResolveLink<ShotPhase>(form->tracks[0][0], before->launchLinks[2]));

    for (auto& row : rows)
        for (auto& record : row) record.live = 0;
    form->ShotWeapon();
    EXPECT_EQ(rows[0][0].live, 0) << "the latch holds until the motion ends";
}

TEST_F(ShotLaunch, ShortAmmunitionLaunchesPartOfAVolleyWithoutTheLatch) {
    P1().ammo[0] = 2;
    form->ShotWeapon();
    auto& row = form->shotSlots[0][0];
    EXPECT_EQ(std::tuple(int{row[1].live}, int{row[2].live}, P1().ammo[0], P1().volleyLatch), std::tuple(1, 0, 0, 0));
    EXPECT_EQ(FireSounds(), 1);
    P1().actionState = ActionGuard;
    P1().ammo[0] = 5;
    form->ShotWeapon();
    EXPECT_EQ(row[2].live, 0) << "guarding never launches";
}

TEST_F(ShotFlight, ABeamNeedsMoreThanEightTimesItsCost) {
    form->weapons[0][0].gaugeCost = 10;
    Phase(0).shotMode = ShotBeam;
    owner.ammo[0] = 9;
    owner.gauge = 80;
    shot.live = 0;
    form->ShotWeapon();
    EXPECT_EQ(shot.live, 0) << "ammunition does not pay for a beam";
    owner.gauge = 81;
    owner.posX = 40;
    form->ShotWeapon();
    EXPECT_EQ(std::tuple(int{shot.live}, owner.gauge, owner.ammo[0], shot.trail[2].x), std::tuple(1, 71, 9, 40));
}

TEST_F(ShotFlight, ARidingWeaponNeedsItsCostAsWeaponOneAndEightTimesItAsWeaponFour) {
    const auto launches = [&](int weapon, std::int32_t gauge) {
        WeaponDescriptor& w = form->weapons[0][weapon - 1];
        w.volleys = w.shotsPerVolley = 1;
        w.gaugeCost = 10;
        ShotPhase& riding = form->tracks[0][weapon - 1].planes[0][0].phases[0];
        riding.shotMode = ShotRiding;
        ShotRecord& s = form->shotSlots[weapon - 1][0][0];
        s = ShotRecord{};
        s.weapon = &w;
        s.phase = &riding;
        owner.actionState = weapon;
        owner.volleyLatch = 0;
        owner.gauge = gauge;
        form->ShotWeapon();
        return s.live == 1;
    };
    EXPECT_TRUE(launches(1, 11));
    EXPECT_FALSE(launches(4, 80));
    EXPECT_TRUE(launches(4, 81));
}

TEST_F(ShotFlight, AmongGaugeLaunchesOnlyPlayerOnesFirstWeaponBeamStartsItsTrailAfresh) {
    struct Case {
        int player, weapon;
        std::int32_t mode;
        bool fresh;
    } cases[] = {{0, 1, ShotBeam, true},  {0, 1, ShotRiding, false}, {0, 2, ShotBeam, false},
                 {1, 1, ShotBeam, false}, {1, 1, ShotStraight, true}};  // the last paid with ammunition
    for (const Case& c : cases) {
        const int slot = c.player * 4 + c.weapon - 1;
        WeaponDescriptor& w = form->weapons[c.player][c.weapon - 1];
        w.volleys = w.shotsPerVolley = 1;
        ShotPhase& phase = form->tracks[c.player][c.weapon - 1].planes[0][0].phases[0];
        phase.shotMode = c.mode;
        ShotRecord& s = form->shotSlots[slot][0][0];
        s = ShotRecord{};
        s.weapon = &w;
        s.phase = &phase;
        for (TrailPoint& point : s.trail) point = {-7, -7};
        PlayerRecord& p = form->players[c.player];
        p.motionNode = &firing;
        p.actionState = c.weapon;
        p.volleyLatch = 0;
        p.gauge = 1000;
        p.ammo[c.weapon - 1] = 1;
        p.posX = p.posY = 40;
        form->ShotWeapon();
        ASSERT_EQ(s.live, 1) << slot;
        EXPECT_EQ(s.trail[2].x == 40, c.fresh) << "slot " << slot << " mode " << c.mode;
    }
}

TEST_F(ShotFlight, AGaugeThatFallsToTheThresholdMidVolleyStopsItWithoutTheLatch) {
    WeaponDescriptor& w = form->weapons[0][0];
    w.shotsPerVolley = 3;
    w.gaugeCost = 10;
    Phase(0).shotMode = ShotRiding;
    ShotRecord(&row)[10] = form->shotSlots[0][0];
    for (int part = 0; part < 3; ++part) {
        row[part] = ShotRecord{};
        row[part].weapon = &w;
        row[part].phase = &Phase(0);
    }
    owner.gauge = 30;
    form->ShotWeapon();
    EXPECT_EQ(std::tuple(int{row[1].live}, int{row[2].live}, owner.gauge, owner.volleyLatch), std::tuple(1, 0, 10, 0));
    owner.gauge = 11;  // risen again while the node still fires: the rest leaves
    form->ShotWeapon();
    EXPECT_EQ(std::tuple(int{row[2].live}, owner.gauge, owner.volleyLatch), std::tuple(1, 1, 1));
}

TEST_F(ShotFlight, ABadLinkIsRefusedAndTheShotStaysInItsPhase) {
    owner.ammo[0] = 3;
    shot.live = 0;
    for (Link& link : Phase(0).launchLinks) link = 3;
    form->ShotWeapon();
    EXPECT_EQ(std::tuple(int{shot.live}, owner.ammo[0]), std::tuple(0, 3)) << "no launch, nothing paid";

    shot.live = 1;
    Phase(0).duration = 1;
    Phase(0).nextPhase = sizeof(ShotTrackTable);
    AdvanceShotFrame(*form, 0, shot, owner);
    EXPECT_EQ(std::tuple(shot.phase, int{shot.live}), std::tuple(&Phase(0), 1));

    Phase(0).shotMode = ShotSteered;
    for (Link& link : Phase(0).steerLinks) link = 0xFFFFFFF0u;
    shot.heading = NR;
    MoveShot(*form, 0, shot, target, owner);
    EXPECT_EQ(std::tuple(shot.phase, shot.heading), std::tuple(&Phase(0), NR));
}

TEST_F(ShotFlight, TouchingRectanglesMissAndOverlappingOnesHit) {
    Aim(1, 0);
    EXPECT_EQ(HitTestShot(*form, 0, shot), HitNone);
    Aim(1, 1);
    EXPECT_EQ(HitTestShot(*form, 0, shot), HitLanded);
    EXPECT_EQ(std::tuple(target.hitPoints, target.actionState, target.stunFrames, target.knockBackHeading),
              std::tuple(93, ActionHit, 20, NR)) << "knocked away from the shot";
    EXPECT_EQ(target.motionNode, &graph.nodes[70]);
}

TEST_F(ShotFlight, EachAxisMeetsByItsOwnHalfSize) {
    Aim(1, 0);
    Phase(0).halfWidth = 2;
    Phase(0).halfHeight = 8;  // a tall shot against the robot's box from (90, 86) to (110, 114)
    form->robotDescs[1].hitHalfHeight = 14;
    // From each of the four sides: touching, then one pixel in.
    for (auto [x, y, result] : {std::tuple(88, 100, HitNone), std::tuple(89, 100, HitLanded),
                                std::tuple(112, 100, HitNone), std::tuple(111, 100, HitLanded),
                                std::tuple(100, 78, HitNone), std::tuple(100, 79, HitLanded),
                                std::tuple(100, 122, HitNone), std::tuple(100, 121, HitLanded)}) {
        shot.x = x;
        shot.y = y;
        shot.phase = &Phase(0);
        target.hitPoints = 100;
        EXPECT_EQ(HitTestShot(*form, 0, shot), result) << x << "," << y;
    }
}

TEST_F(ShotFlight, AGuardTakesAQuarterAndOnlyAGuardBreakStuns) {
    Aim(1, 1);
    target.actionState = ActionGuard;
    EXPECT_EQ(HitTestShot(*form, 0, shot), HitLanded);
    EXPECT_EQ(std::tuple(target.hitPoints, target.actionState, target.stunFrames, target.motionNode),
              std::tuple(99, ActionGuard, 0, &graph.nodes[0]));

    Phase(0).guardBreak = Phase(0).knockBackMode = 1;
    shot.heading = DL;
    EXPECT_EQ(HitTestShot(*form, 0, shot), HitLanded);
    EXPECT_EQ(std::tuple(target.hitPoints, target.actionState, target.stunFrames, target.knockBackHeading, target.motionNode),
              std::tuple(98, ActionHit, 20, DL, &graph.nodes[70])) << "knocked along the shot";
}

TEST_F(ShotFlight, AShorterStunLeavesALongerOneRunning) {
    Aim(1, 1);
    target.stunFrames = 50;
    ASSERT_EQ(HitTestShot(*form, 0, shot), HitLanded);
    EXPECT_EQ(target.stunFrames, 50);
    target.actionState = ActionGuard;
    Phase(0).guardBreak = 1;
    ASSERT_EQ(HitTestShot(*form, 0, shot), HitLanded);
    EXPECT_EQ(std::tuple(target.actionState, target.stunFrames), std::tuple(ActionHit, 50));
}

TEST_F(ShotFlight, HitKindsOneAndTwoRestartTheirPhaseDifferently) {
    Aim(1, 1);
    Phase(0).hitPhase = LinkTo(4);
    shot.phaseFrame = 5;
    EXPECT_EQ(HitTestShot(*form, 0, shot), HitLanded);
    EXPECT_EQ(std::tuple(shot.phase, shot.phaseFrame), std::tuple(&Phase(4), 0));

    shot.phase = &Phase(0);
    Phase(0).hitKind = 2;
    shot.phaseFrame = 5;
    EXPECT_EQ(HitTestShot(*form, 0, shot), HitLanded);
    EXPECT_EQ(shot.phaseFrame, 5) << "kind 2 keeps its schedule while it can hit again";
    shot.phase = &Phase(0);
    form->weapons[0][0].singleHit = form->weapons[0][0].hideOnHit = 1;
    EXPECT_EQ(HitTestShot(*form, 0, shot), HitLanded);
    EXPECT_EQ(std::tuple(shot.phaseFrame, int{shot.canHit}, int{shot.visible}, int{shot.live}), std::tuple(0, 0, 0, 1));
    shot.phase = &Phase(0);
    EXPECT_EQ(HitTestShot(*form, 0, shot), HitNone);
}

TEST_F(ShotFlight, HitKindThreePassesOnEvenWhenNotLive) {
    Phase(0).hitKind = 3;
    shot.live = shot.canHit = 0;
    EXPECT_EQ(HitTestShot(*form, 0, shot), HitPassedOn);
    EXPECT_EQ(shot.phase, &Phase(0)) << "no hit phase: nothing changes";
    Phase(0).hitPhase = LinkTo(2);
    EXPECT_EQ(HitTestShot(*form, 0, shot), HitPassedOn);
    EXPECT_EQ(shot.phase, &Phase(2));
}

TEST_F(ShotFlight, EachModeMovesItsOwnWay) {
    auto moveFrom = [&](ShotMode mode, int x, int y) {
        Phase(0).shotMode = mode;
        shot.x = x, shot.y = y;
        MoveShot(*form, 0, shot, target, owner);
        return std::tuple(shot.x, shot.y);
    };
    Phase(0).velocityX = 4;
    Phase(0).velocityY = 6;
    EXPECT_EQ(moveFrom(ShotStraight, 10, 20), std::tuple(14, 26));
    EXPECT_EQ(moveFrom(ShotBeam, 10, 20), std::tuple(14, 26));
    EXPECT_EQ(moveFrom(ShotPlaced, 0, 0), std::tuple(104, 106));
    EXPECT_EQ(moveFrom(ShotChasing, 100, 0), std::tuple(100, 6)) << "opponent straight below";
    EXPECT_EQ(moveFrom(ShotChasing, 200, 0), std::tuple(196, 6)) << "toward the lower left";
    EXPECT_EQ(shot.heading, DL);
    form->weapons[0][0].launchOffsets[DL][0] = {7, -3};
    owner.posX = 50, owner.posY = 60;
    EXPECT_EQ(moveFrom(ShotRiding, 0, 0), std::tuple(57, 57));

    Phase(0).steerLinks[StoredSlotOf(DN)] = LinkTo(3);
    Phase(3).velocityY = 9;
    shot.phaseFrame = 4, shot.live = 0;
    EXPECT_EQ(moveFrom(ShotSteered, 100, 0), std::tuple(100, 9)) << "a free record still steers";
    EXPECT_EQ(std::tuple(shot.phase, shot.phaseFrame, shot.heading), std::tuple(&Phase(3), 0, DN));
}

TEST_F(ShotFlight, TheScrollCarriesAShotAlongEitherAxis) {
    Phase(0).shotMode = ShotStraight;
    Phase(0).duration = 100;
    for (auto [dx, dy] : {std::pair{0, 5}, {-3, 0}, {2, -4}}) {
        shot.x = 300, shot.y = 400;
        RunShots(*form, dx, dy);
        EXPECT_EQ(std::tuple(shot.x, shot.y), std::tuple(300 + dx, 400 + dy)) << dx << ", " << dy;
    }
}

TEST_F(ShotFlight, AgeingEndsAFlightAndAnIdleCountNeverOverflows) {
    Phase(0).duration = 1;
    Phase(0).nextPhase = LinkTo(1);
    Phase(1).duration = 2;
    AdvanceShotFrame(*form, 0, shot, owner);
    EXPECT_EQ(shot.phase, &Phase(1));
    AdvanceShotFrame(*form, 0, shot, owner);
    AdvanceShotFrame(*form, 0, shot, owner);
    EXPECT_EQ(std::tuple(int{shot.live}, shot.phase), std::tuple(0, &Phase(1))) << "an ended flight keeps its phase";

    // Only a count equal to the duration ends a phase: one already past it (a
    // hit that kept its schedule into a shorter phase) flies on.
    shot.live = 1, shot.phaseFrame = 5;
    AdvanceShotFrame(*form, 0, shot, owner);
    EXPECT_EQ(std::tuple(int{shot.live}, shot.phaseFrame), std::tuple(1, 6));
    shot.live = 0;

    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    shot.phaseFrame = kMax;
    AdvanceShotFrame(*form, 0, shot, owner);
    EXPECT_EQ(shot.phaseFrame, kMax);

    shot.live = 1, shot.phaseFrame = 0;
    Phase(1).endOnOwnerHit = 1;
    owner.actionState = ActionHit;
    AdvanceShotFrame(*form, 0, shot, owner);
    EXPECT_EQ(std::tuple(int{shot.live}, shot.phaseFrame), std::tuple(0, 0));
}

TEST_F(ShotFlight, TheTrailShiftsAndItsNewestPointLiesBehindTheShot) {
    Phase(0).extentX = 20;
    Phase(0).extentY = 5;
    shot.heading = NR;
    shot.x = 100, shot.y = 50;
    shot.trail[0] = {1, 2};
    shot.trail[1] = {3, 4};
    PlaceShot(shot, 3, 0);
    EXPECT_EQ(std::tuple(shot.trail[0].x, shot.trail[0].y, shot.trail[1].x, shot.trail[2].x), std::tuple(83, 50, 4, 6));
    shot.heading = UL;
    PlaceShot(shot, 0, 0);
    EXPECT_EQ(std::tuple(shot.trail[0].x, shot.trail[0].y), std::tuple(120, 55));
}
