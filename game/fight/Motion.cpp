#include "Motion.h"

#include "Direction.h"
#include "FightLinks.h"
#include "Wide.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::int32_t kDashGaugeFloor = 50;  // above it a dash gives dash speeds
constexpr std::int32_t kDashDrain = 4;

// Leaves the current node through `link`. A link that names no node of the
// player's graph is refused: the robot stays and the node starts over.
const MotionNode* EnterNode(TForm1& form, int player, Link link) {
    PlayerRecord& p = form.players[player];
    p.motionFrame = 0;
    const MotionNode* next = FollowNodeLink(form, player, link);
    if (next) p.motionNode = next;
    return next;
}

struct SpeedCell {
    std::int32_t code;
    int group;
    int xSense, ySense;  // -1: the group sets no speed on that axis
};
constexpr SpeedCell kSpeedCells[] = {
    {1, 1, SenseLeft, -1},        {2, 0, SenseRight, -1},       {10, 2, -1, SenseUp},
    {11, 4, SenseLeft, SenseUp},  {12, 3, SenseRight, SenseUp}, {20, 5, -1, SenseDown},
    {21, 6, SenseLeft, SenseDown}, {22, 7, SenseRight, SenseDown},
};

std::int32_t StepOf(const PlayerRecord& p, int sense) { return std::clamp(p.accel[sense], 0, kAccelSteps - 1); }

void UpdateSpeedOn(PlayerRecord& p, const SpeedTable& table) {
    p.decelTick = WideSum(p.decelTick, 1);

    bool set[4] = {};
    if (p.heading >= 0 && p.heading < kHeadingCount) {
        const SpeedRow& row = table.rows[p.heading];
        for (const SpeedCell& cell : kSpeedCells) {
            if (cell.code != p.directionCode) continue;
            if (cell.xSense >= 0) {
                p.speed[cell.xSense] = row.speeds[cell.group][StepOf(p, cell.xSense)].x;
                set[cell.xSense] = true;
            }
            if (cell.ySense >= 0) {
                p.speed[cell.ySense] = row.speeds[cell.group][StepOf(p, cell.ySense)].y;
                set[cell.ySense] = true;
            }
        }
    }

    // Both tables decay at the normal table's pace.
    if (p.decelTick != p.moveTable.rows[0].decelPeriod) return;
    p.decelTick = 0;
    for (int sense = 0; sense < 4; ++sense)
        if (!set[sense] && p.speed[sense] > 0) --p.speed[sense];
}

}  // namespace

void MoveWithinArena(PlayerRecord& robot, std::int64_t x, std::int64_t y) {
    if (x > 0 && x < kFieldWidth) robot.posX = static_cast<std::int32_t>(x);
    if (y > 0 && y < kFieldHeight) robot.posY = static_cast<std::int32_t>(y);
}

MoveStep KnockBackStep(std::int32_t knockBackHeading) {
    constexpr MoveStep kSteps[kHeadingCount] = {{0, -12}, {15, -12}, {15, 0},  {15, 12},
                                                {0, 12},  {-15, 12}, {-15, 0}, {-15, -12}};
    if (knockBackHeading < 0 || knockBackHeading >= kHeadingCount) return {0, 0};
    return kSteps[knockBackHeading];
}

std::int32_t DashHeading(std::int32_t directionCode, std::int32_t heading) {
    switch (directionCode) {
        case 1: return NL;
        case 2: return NR;
        case 10: return UN;
        case 11: return UL;
        case 12: return UR;
        case 20: return DN;
        case 21: return DL;
        case 22: return DR;
        default: return heading;
    }
}

void FaceOpponent(PlayerRecord& robot, const PlayerRecord& opponent) {
    if (!robot.motionNode || robot.motionNode->canTurn != 1) return;
    robot.heading = robot.dashRequest == 0 ? DirectionBetween(robot.posX, robot.posY, opponent)
                                           : DashHeading(robot.directionCode, robot.heading);
}

void FaceOpponent(TForm1& form, int player) { FaceOpponent(form.players[player], form.players[1 - player]); }

void StartAction(TForm1& form, int player) {
    PlayerRecord& p = form.players[player];
    const MotionNode* node = p.motionNode;
    if (!node || node->canAct != 1) return;

    if (p.actionState == ActionIdle) {
        if (p.guardRequest == 1) {
            if (FollowNodeLink(form, player, node->guardNode)) {
                EnterNode(form, player, node->guardNode);
                p.actionState = ActionGuard;
            }
            return;
        }
        for (int k = 1; k <= 4; ++k) {
            if (p.holdFrames[k - 1] != 1) continue;
            if (FollowNodeLink(form, player, node->weaponNodes[k - 1])) {
                EnterNode(form, player, node->weaponNodes[k - 1]);
                p.actionState = k;
                p.holdFrames[k - 1] = 2;
            }
            return;
        }
    } else if (p.actionState >= 1 && p.actionState <= 4) {
        // Only a new press of the running weapon restarts its motion.
        const int k = p.actionState;
        if (p.holdFrames[k - 1] != 1 || !FollowNodeLink(form, player, node->weaponNodes[k - 1])) return;
        EnterNode(form, player, node->weaponNodes[k - 1]);
        p.holdFrames[k - 1] = 2;
        p.volleyLatch = 0;
    }
}

void AdvanceMotion(TForm1& form, int player) {
    PlayerRecord& p = form.players[player];
    const MotionNode* node = p.motionNode;
    if (!node) return;

    if (node->pose == PoseHit) {
        p.motionFrame = WideSum(p.motionFrame, p.robot ? p.robot->stunRecoveryStep : 0);
        if (p.motionFrame < p.stunFrames) return;
        if (const MotionNode* next = EnterNode(form, player, node->nextNode)) {
            p.volleyLatch = 0;
            if (next->pose == PoseNeutral) p.actionState = ActionIdle;
        }
        return;
    }

    // A node of length 0 or less is never left by time.
    p.motionFrame = WideSum(p.motionFrame, 1);
    if (p.motionFrame != node->frameCount) return;

    if (p.guardRequest == 1) {
        if (EnterNode(form, player, node->guardNode)) p.actionState = ActionGuard;
        return;
    }
    for (int k = 1; k <= 4; ++k) {
        if (p.holdFrames[k - 1] < 1) continue;
        if (EnterNode(form, player, node->weaponNodes[k - 1])) p.actionState = k;
        return;
    }
    if (const MotionNode* next = EnterNode(form, player, node->nextNode)) {
        p.volleyLatch = 0;
        if (next->pose == PoseNeutral) p.actionState = ActionIdle;
    }
}

void UpdateSpeed(PlayerRecord& robot) { UpdateSpeedOn(robot, robot.moveTable); }
void UpdateSpeedDash(PlayerRecord& robot) { UpdateSpeedOn(robot, robot.dashTable); }

void MoveRobot(PlayerRecord& robot, const PlayerRecord& opponent) {
    PlayerRecord& p = robot;
    if (!p.motionNode) return;
    if (p.motionNode->canMove != 1) {
        for (int sense = 0; sense < 4; ++sense) p.speed[sense] = p.accel[sense] = 0;
        return;
    }

    const std::int64_t gauge = p.gauge;
    if (p.dashRequest == 1) {
        // The button drains the gauge even once it no longer gives dash speeds.
        if (gauge - kDashDrain > 0) p.gauge -= kDashDrain;
        if (gauge > kDashGaugeFloor)
            UpdateSpeedDash(p);
        else
            UpdateSpeed(p);
    } else {
        // Regeneration stops one below the maximum.
        const std::int64_t gaugeMax = p.robot ? p.robot->gaugeMax : 0;
        if (gauge + 1 < gaugeMax) p.gauge += 1;
        UpdateSpeed(p);
    }

    std::int64_t sx = std::int64_t(p.speed[SenseRight]) - p.speed[SenseLeft];
    std::int64_t sy = std::int64_t(p.speed[SenseDown]) - p.speed[SenseUp];
    if (p.actionState == ActionHit) {
        const MoveStep push = KnockBackStep(p.knockBackHeading);
        sx += push.x;
        sy += push.y;
    }

    const std::int64_t nx = std::int64_t(p.posX) + sx, ny = std::int64_t(p.posY) + sy;
    if (BoxesOverlap(HitBoxAt(p, nx, ny), HitBoxAt(opponent, opponent.posX, opponent.posY))) return;

    MoveWithinArena(p, nx, ny);
}

void MoveRobot(TForm1& form, int player) { MoveRobot(form.players[player], form.players[1 - player]); }
