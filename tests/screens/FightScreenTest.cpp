#include "GameFixture.h"
#include "Screens.h"

#include <tuple>

namespace {

using Rgb = std::tuple<int, int, int>;
const Rgb kBlack{0, 0, 0}, kBlue{0, 0, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kMagenta{255, 0, 255},
    kGrid{0, 120, 0}, kDarkBlue{0, 0, 128};

// Brakon against Saltrim in the fight proper, robots apart, nothing in flight.
class FightScreen : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        StartGame();
        EnterBout(ModeTwoPlayers, 7, 4);
        form->GameStage = StageFight;
        Place(0, 200, 300);
        Place(1, 600, 300);
    }
    void Place(int p, std::int32_t x, std::int32_t y) {
        form->players[p].posX = x;
        form->players[p].posY = y;
    }
    void Draw() {
        form->AnswerDrawer(Draw_FS(View(), *video->display.TakeContext()));
        video->display.ReleaseContext();
    }
    Rgb At(int x, int y) {
        const platform::Color c = video->display.Pixel(x, y);
        return {c.r, c.g, c.b};
    }
    // Where a bar of the given top ends: its first pixel past the filled run from `from` on.
    int BarEnd(int from, int step, int top) {
        int x = from;
        while (x >= 0 && x < 800 && At(x, top + 5) != kBlack && At(x, top + 5) != kGrid) x += step;
        return x;
    }
    bool Shows(const std::string& text) const {
        for (const platform::DrawnText& t : video->display.Texts())
            if (t.text == text) return true;
        return false;
    }
    std::string TextAt(int x, int y) const {
        for (const platform::DrawnText& t : video->display.Texts())
            if (t.x == x && t.y == y) return t.text;
        return "";
    }
    PlayerRecord& P(int p) { return form->players[p]; }
};

}  // namespace

TEST_F(FightScreen, BarsAreThreeHundredPixelsAtTheMaximumAndTruncateTheirShare) {
    struct Case {
        std::int32_t value, maximum, length;
    } cases[] = {{700, 700, 300}, {200, 600, 100}, {233, 700, 99}, {0, 700, 0}, {490, 700, 209}, {364, 520, 209}};
    for (const Case& c : cases) {
        form->robotDescs[0].maxHitPoints = c.maximum;
        P(0).hitPoints = c.value;
        form->robotDescs[1].gaugeMax = c.maximum;
        P(1).gauge = c.value;
        Draw();
        EXPECT_EQ(379 - BarEnd(379, -1, 20), c.length) << "player 1's hit points, leftward from 380";
        EXPECT_EQ(BarEnd(420, 1, 35) - 420, c.length) << "player 2's gauge, rightward from 420";
        if (c.length > 0) {
            EXPECT_EQ(At(379, 25), kBlue);
            EXPECT_EQ(At(420, 40), kMagenta);
        }
    }
}

TEST_F(FightScreen, AKnockedOutRobotHasNoHitPointBarButItsGauge) {
    P(1).hitPoints = -1;
    Draw();
    EXPECT_EQ(At(425, 25), kBlack);
    EXPECT_EQ(At(425, 40), kMagenta);
    EXPECT_EQ(At(375, 25), kBlue);
    EXPECT_EQ(At(375, 40), kGreen);
}

TEST_F(FightScreen, TheBannerFollowsTheStageAndTheWinner) {
    const std::pair<std::int32_t, std::int32_t> stages[] = {{StageIntro, 0}, {StageFight, 1}, {StageFightEnd, 1},
                                                            {StageFightEnd, 2}, {StageFightEnd, 0}};
    const char* banners[] = {"It's Show Time!", "", "Player1 Survived!", "Player2 Survived!", "Draw...."};
    for (int k = 0; k < 5; ++k) {
        form->GameStage = stages[k].first;
        form->FightWinner = stages[k].second;
        Draw();
        EXPECT_EQ(TextAt(300, 280), banners[k]) << k;
    }
    EXPECT_EQ(TextAt(80, 50), "VuruRovavu");
    EXPECT_EQ(TextAt(420, 50), "Vo-Do");
}

TEST_F(FightScreen, EachAmmunitionLineReadsItsFirstRecordsPhase) {
    ShotPhase riding{}, beam{}, gun{};
    riding.shotMode = ShotRiding;
    beam.shotMode = ShotBeam;
    gun.shotMode = ShotStraight;
    form->shotSlots[0][0][0].phase = &beam;
    form->shotSlots[1][0][0].phase = &riding;
    form->shotSlots[2][0][0].phase = &gun;
    P(0).ammo[2] = 17;
    form->shotSlots[7][0][0].phase = &beam;
    Draw();
    EXPECT_EQ(TextAt(0, 25), "Ammo1:LAZER");
    EXPECT_EQ(TextAt(0, 40), "Ammo2:---");
    EXPECT_EQ(TextAt(0, 55), "Ammo3:17");
    EXPECT_EQ(TextAt(720, 70), "Ammo4:LAZER");
}

TEST_F(FightScreen, ABeamIsOneWideLineFromItsOwnerDrawnByOnePartOnly) {
    ShotPhase beam{};
    beam.shotMode = ShotBeam;
    beam.extentX = 200;
    form->weapons[0][0].volleys = 3;
    for (int part = 0; part < 3; ++part) {
        ShotRecord& shot = form->shotSlots[0][part][part == 2 ? 1 : part];
        shot.phase = &beam;
        shot.weapon = &form->weapons[0][0];
        shot.live = shot.visible = 1;
    }
    ShotRecord& drawer = form->shotSlots[0][1][2];  // part 2 = volleys - 1
    drawer = form->shotSlots[0][0][0];
    drawer.x = 50;  // the record's own place does not matter
    Place(0, 200, 400);
    Draw();
    EXPECT_EQ(At(300, 400), kGreen);
    EXPECT_EQ(At(300, 407), kGreen) << "15 pixels wide";
    EXPECT_NE(At(300, 410), kGreen);

    drawer.live = 0;  // the other parts draw nothing
    Draw();
    EXPECT_NE(At(300, 400), kGreen);
}

TEST_F(FightScreen, ShotsAreFilledInTheirPlayersColourAndOutlinedWithThePenOfTheMoment) {
    ShotPhase ball{};
    ball.halfWidth = ball.halfHeight = 10;
    ShotRecord& mine = form->shotSlots[2][0][0];
    mine.phase = &ball;
    mine.live = mine.visible = 1;
    mine.x = 250;  // off the grid's lines
    mine.y = 450;
    ShotRecord& theirs = form->shotSlots[6][0][0];
    theirs = mine;
    theirs.x = 450;
    Draw();
    EXPECT_EQ(At(250, 450), kGreen);
    EXPECT_EQ(At(450, 450), kMagenta);
    EXPECT_EQ(At(250, 440), kGrid) << "outlined with the grid's pen";
    theirs.visible = 0;
    Draw();
    EXPECT_EQ(At(450, 450), kBlack);

    // After a beam, the 15-pixel beam pen outlines every later shot.
    ShotPhase beam{};
    beam.shotMode = ShotBeam;
    beam.extentY = -100;
    ShotRecord& beamer = form->shotSlots[0][0][form->weapons[0][0].volleys - 1];
    beamer.phase = &beam;
    beamer.weapon = &form->weapons[0][0];
    beamer.live = beamer.visible = 1;
    theirs.visible = 1;
    Draw();
    EXPECT_EQ(At(450, 450), kMagenta);
    EXPECT_EQ(At(450, 435), kGreen) << "five pixels outside the shot's box";
}

TEST_F(FightScreen, AWeaponWithTrailCirclesDrawsOneRoundEachTrailPoint) {
    ShotPhase dot{};  // a body too small to show
    WeaponDescriptor& weapon = form->weapons[0][2];
    weapon.trailCircles = 1;
    const std::int32_t radii[3] = {6, 12, 18};
    ShotRecord& shot = form->shotSlots[2][0][0];
    shot.phase = &dot;
    shot.weapon = &weapon;
    shot.live = shot.visible = 1;
    shot.x = 700;
    shot.y = 550;
    for (int k = 0; k < 3; ++k) {
        weapon.trailRadii[k] = radii[k];
        shot.trail[k] = {250 + 120 * k, 450};
    }
    Draw();
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(At(250 + 120 * k + radii[k] - 3, 450), kGreen) << k;
        EXPECT_NE(At(250 + 120 * k + radii[k] + 2, 450), kGreen) << k;
    }
    weapon.trailCircles = 0;
    Draw();
    EXPECT_NE(At(250, 450), kGreen);
}

TEST_F(FightScreen, RobotsAreArrowsByFacingReachingOutInTheSecondWeaponsMotion) {
    const RobotDescriptor& brakon = form->robotDescs[0];
    const std::int32_t H = brakon.drawHalfHeight;
    P(0).heading = UN;
    Draw();
    EXPECT_EQ(At(200, 300 - H + 3), kBlue) << "the tip";
    EXPECT_EQ(At(200, 300 + H - 3), kBlue) << "the tail";

    // The weapon-2 motion pushes the tip out by its arm's reach.
    MotionNode reaching{};
    reaching.pose = PoseWeapon2;
    P(0).motionNode = &reaching;
    ShotPhase arm{};
    arm.extentY = 30;
    form->shotSlots[1][UN][0].phase = &arm;
    Draw();
    EXPECT_EQ(At(200, 300 - H - 27), kBlue);

    // Stunned: the darker pen.
    P(0).actionState = ActionHit;
    Draw();
    EXPECT_EQ(At(200, 300 + H - 3), kDarkBlue);
}

// With a pen of one pixel the figure's points can be read exactly.
TEST_F(FightScreen, TheArmsReachComesFromTheRowOfTheRobotsOwnHeading) {
    devices.display.penP1Robot = video->display.CreatePen(1, {0, 0, 255});
    const std::int32_t W = form->robotDescs[0].drawHalfWidth;
    MotionNode reaching{};
    reaching.pose = PoseWeapon2;
    P(0).motionNode = &reaching;
    P(0).heading = NR;
    ShotPhase facing{}, other{};
    facing.extentY = 30;
    other.extentY = 60;
    form->shotSlots[1][UN][0].phase = &other;
    form->shotSlots[1][NR][0].phase = &facing;
    Draw();
    EXPECT_EQ(At(200 + W + 30, 300), kBlue) << "the tip, pushed out by row NR's reach";
    EXPECT_NE(At(200 + W + 31, 300), kBlue);
}

TEST_F(FightScreen, DiagonalRingPointsTakeAQuarterBeforeTripling) {
    devices.display.penP1Robot = video->display.CreatePen(1, {0, 0, 255});
    form->robotDescs[0].drawHalfWidth = form->robotDescs[0].drawHalfHeight = 30;  // 30 / 4 * 3 = 21, not 22
    MotionNode guard{};
    guard.pose = PoseGuard;
    P(0).motionNode = &guard;
    P(0).heading = UN;
    Draw();
    EXPECT_EQ(At(200 + 21, 300 - 21), kBlue) << "the guard line from north-east";
    EXPECT_EQ(At(200 + 15, 300 - 21), kBlue);
    EXPECT_NE(At(200 + 15, 300 - 22), kBlue);
    EXPECT_NE(At(200 + 22, 300 - 21), kBlue);
}

TEST_F(FightScreen, AGuardDrawsALineAcrossTheFront) {
    MotionNode guard{};
    guard.pose = PoseGuard;
    P(1).motionNode = &guard;
    P(1).heading = NL;
    const RobotDescriptor& saltrim = form->robotDescs[1];
    const std::int32_t w = saltrim.drawHalfWidth / 4 * 3, h = saltrim.drawHalfHeight / 4 * 3;
    Draw();
    EXPECT_EQ(At(600 - w, 300 - h + 3), kRed) << "the line from south-west to north-west";
    P(1).motionNode = &form->motionGraphs[1].nodes[0];
    Draw();
    EXPECT_NE(At(600 - w, 300 - h + 3), kRed);
}
