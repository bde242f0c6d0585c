// The fight screen: grid, banner, ammunition lines and names, bars, shots
// and the robots as wireframe arrows, all drawn anew each frame. It is also
// where a robot whose module filled nothing is found, and reported to the frame.
#include "Background.h"
#include "Direction.h"
#include "Screens.h"
#include "Wide.h"

#include <cstdio>

namespace {

constexpr platform::Color kWhite{255, 255, 255};
constexpr platform::Color kP1Colour{0, 0, 255};
constexpr platform::Color kP2Colour{255, 0, 0};
constexpr std::int32_t kBarLength = 300;

// 300 x (value / maximum) with a single-precision quotient, toward zero; the
// product keeps every digit of it (490 of 700 is 209, not 210).
std::int32_t BarLength(std::int32_t value, std::int32_t maximum) {
    const double length = double(kBarLength) * double(float(value) / float(maximum));
    // Module data can make the quotient anything; the canvas clips what is drawn.
    return length > 1e9 ? 1000000000 : length < -1e9 ? -1000000000 : static_cast<std::int32_t>(length);
}

void AmmoLines(const FormState& form, platform::Canvas& dc, int player, std::int32_t x) {
    char line[32];
    for (int n = 1; n <= 4; ++n) {
        const ShotPhase* phase = form.shotSlots[SlotOf(player, n)][0][0].phase;
        const std::int32_t mode = phase ? phase->shotMode : ShotStraight;
        if (mode == ShotRiding)
            std::snprintf(line, sizeof line, "Ammo%d:---", n);
        else if (mode == ShotBeam)
            std::snprintf(line, sizeof line, "Ammo%d:LAZER", n);
        else
            std::snprintf(line, sizeof line, "Ammo%d:%d", n, form.players[player].ammo[n - 1]);
        dc.TextOut(x, 10 + 15 * n, line);
    }
}

// What a bar reads.
struct Bar {
    const RobotDescriptor* robot;
    bool hitPoints;  // else the gauge
    std::int32_t value;
};

// Fills the four bars, each on its own check; the number of checks that
// found a robot's definition missing, each bar of which is left out.
int DrawBars(const FormState& form, const Paints& d, platform::Canvas& dc) {
    const PlayerRecord& p1 = form.players[0];
    const PlayerRecord& p2 = form.players[1];
    const Bar bars[4] = {{p1.robot, true, p1.hitPoints}, {p2.robot, true, p2.hitPoints},
                         {p1.robot, false, p1.gauge}, {p2.robot, false, p2.gauge}};
    const platform::BrushId brushes[4] = {d.brushBlue, d.brushRed, d.brushGreen, d.brushMagenta};
    const std::int32_t tops[4] = {20, 20, 35, 35};

    int missing = 0;
    for (int k = 0; k < 4; ++k) {
        const Bar& bar = bars[k];
        if (bar.hitPoints && bar.value < 0) continue;  // knocked out: no hit-point bar
        const std::int32_t maximum = !bar.robot ? 0 : bar.hitPoints ? bar.robot->maxHitPoints : bar.robot->gaugeMax;
        if (maximum == 0) {
            ++missing;
            continue;
        }
        const std::int32_t length = BarLength(bar.value, maximum);
        if (k % 2 == 0)
            dc.FillRect(WideSum(380, -std::int64_t{length}), tops[k], 380, tops[k] + 10, brushes[k]);
        else
            dc.FillRect(420, tops[k], WideSum(420, length), tops[k] + 10, brushes[k]);
    }
    return missing;
}

bool Shown(const ShotRecord& shot) { return shot.live == 1 && shot.visible == 1 && shot.weapon; }

void DrawTrails(const FormState& form, const Paints& d, platform::Canvas& dc) {
    for (int slot = 0; slot < kShotSlots; ++slot) {
        if (WeaponOfSlot(slot) == 1) dc.SelectBrush(PlayerOfSlot(slot) == 0 ? d.brushGreen : d.brushMagenta);
        for (int row = 0; row < kUsedShotRows; ++row)
            for (const ShotRecord& shot : form.shotSlots[slot][row]) {
                if (!Shown(shot) || shot.weapon->trailCircles != 1) continue;
                for (int k = 0; k < 3; ++k) {
                    const TrailPoint& t = shot.trail[k];
                    const std::int64_t r = shot.weapon->trailRadii[k];
                    dc.Ellipse(WideSum(t.x, -r), WideSum(t.y, -r), WideSum(t.x, r), WideSum(t.y, r));
                }
            }
    }
}

// Bodies select only a brush: their outline is the pen of the moment, the
// grid's or the last beam's.
void DrawShotBodies(const FormState& form, const Paints& d, platform::Canvas& dc) {
    for (int slot = 0; slot < kShotSlots; ++slot) {
        const PlayerRecord& owner = form.players[PlayerOfSlot(slot)];
        for (int row = 0; row < kUsedShotRows; ++row)
            for (int part = 0; part < kMaxParts; ++part) {
                const ShotRecord& shot = form.shotSlots[slot][row][part];
                if (!Shown(shot) || !shot.phase) continue;
                const ShotPhase& phase = *shot.phase;
                if (phase.shotMode == ShotBeam) {
                    // One line per beam, from wherever its owner stands now.
                    if (part != std::int64_t{shot.weapon->volleys} - 1) continue;
                    dc.SelectPen(PlayerOfSlot(slot) == 0 ? d.penP1Beam : d.penP2Beam);
                    dc.MoveTo(owner.posX, owner.posY);
                    dc.LineTo(WideSum(owner.posX, phase.extentX), WideSum(owner.posY, phase.extentY));
                } else if (phase.shotMode != ShotRiding) {
                    dc.SelectBrush(PlayerOfSlot(slot) == 0 ? d.brushGreen : d.brushMagenta);
                    dc.Ellipse(WideSum(shot.x, -std::int64_t{phase.halfWidth}), WideSum(shot.y, -std::int64_t{phase.halfHeight}),
                               WideSum(shot.x, phase.halfWidth), WideSum(shot.y, phase.halfHeight));
                }
            }
    }
}

struct Point {
    std::int32_t x, y;
};

// An arrow pointing the way the robot faces; the weapon-2 motion pushes
// its tip out by the arm's reach, a guard puts a line across its front.
void DrawRobot(const FormState& form, const Paints& d, platform::Canvas& dc, int player) {
    const PlayerRecord& p = form.players[player];
    if (!p.robot) return;
    if (p.actionState == ActionHit)
        dc.SelectPen(player == 0 ? d.penP1Stunned : d.penP2Stunned);
    else
        dc.SelectPen(player == 0 ? d.penP1Robot : d.penP2Robot);

    const int heading = p.heading >= 0 && p.heading < kHeadingCount ? p.heading : UN;
    const std::int64_t H = p.robot->drawHalfHeight, W = p.robot->drawHalfWidth;
    const std::int64_t h = H / 4 * 3, w = W / 4 * 3;
    const auto ring = [&](int k, std::int64_t reach) {
        k %= kHeadingCount;
        const bool diagonal = k % 2 == 1;
        return Point{WideSum(p.posX, kUnitSteps[k].x * ((diagonal ? w : W) + reach)),
                     WideSum(p.posY, kUnitSteps[k].y * ((diagonal ? h : H) + reach))};
    };

    const std::int32_t pose = p.motionNode ? p.motionNode->pose : PoseNeutral;
    const ShotPhase* arm = form.shotSlots[SlotOf(player, 2)][heading][0].phase;
    const std::int64_t reach = pose == PoseWeapon2 && arm ? arm->extentY : 0;
    const Point tip = ring(heading, reach);
    for (int side : {4, 2, 6}) {
        const Point to = ring(heading + side, 0);
        dc.MoveTo(tip.x, tip.y);
        dc.LineTo(to.x, to.y);
    }
    if (pose == PoseGuard) {
        const Point from = ring(heading + 1, 0), to = ring(heading + 7, 0);
        dc.MoveTo(from.x, from.y);
        dc.LineTo(to.x, to.y);
    }
}

}  // namespace

DrawReport Draw_FS(const Scene& scene, platform::Canvas& dc) {
    const FormState& form = scene.state;
    const Paints& d = scene.paints;

    dc.SelectBrush(d.brushBlack);
    dc.FillRect(0, 0, platform::kPictureWidth, platform::kPictureHeight, d.brushBlack);
    DrawBackLine(scene, dc);

    dc.SetTextTransparent();
    dc.SetTextColor(kWhite);
    if (form.GameStage == StageIntro)
        dc.TextOut(300, 280, "It's Show Time!");
    else if (form.GameStage == StageFightEnd)
        dc.TextOut(300, 280, form.FightWinner == 1 ? "Player1 Survived!" : form.FightWinner == 2 ? "Player2 Survived!" : "Draw....");

    dc.SetTextColor(kP1Colour);
    AmmoLines(form, dc, 0, 0);
    if (IsRobot(form.p1RobotNumber)) dc.TextOut(80, 50, kRobotNames[form.p1RobotNumber - 1].fight);
    dc.SetTextColor(kP2Colour);
    AmmoLines(form, dc, 1, 720);
    if (IsRobot(form.p2RobotNumber)) dc.TextOut(420, 50, kRobotNames[form.p2RobotNumber - 1].fight);

    // A robot without a definition sends the game back to the start screen,
    // which clears the records: the fight is not drawn further.
    if (const int missing = DrawBars(form, d, dc)) return {missing};

    DrawTrails(form, d, dc);
    DrawShotBodies(form, d, dc);
    DrawRobot(form, d, dc, 0);
    DrawRobot(form, d, dc, 1);
    return {};
}
