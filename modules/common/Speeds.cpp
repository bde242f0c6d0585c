// Robot bodies and the one pair of speed tables every robot shares, shifted
// by its speed bias (robot 1 takes none).
#include "RobotKit.h"

namespace robotkit {
namespace {

enum Group { Right, Left, Up, UpRight, UpLeft, Down, DownLeft, DownRight };

// Step 1 of each group by facing; steps 2 and 3 add 1 and 2 to its non-zero parts.
// A robot is faster toward its facing than away from it.
constexpr SpeedPair kNormalStep1[kHeadingCount][kSpeedGroups] = {
    //  right    left     up       up-right up-left  down     down-left down-right
    {{5, 0}, {5, 0}, {0, 5}, {4, 4}, {4, 4}, {0, 3}, {4, 3}, {4, 3}},  // 0 up
    {{5, 0}, {4, 0}, {0, 4}, {5, 5}, {4, 4}, {0, 3}, {3, 3}, {4, 4}},  // 1 up-right
    {{6, 0}, {4, 0}, {0, 4}, {5, 4}, {4, 4}, {0, 4}, {4, 4}, {5, 4}},  // 2 right
    {{5, 0}, {4, 0}, {0, 3}, {4, 4}, {3, 3}, {0, 4}, {4, 4}, {5, 5}},  // 3 down-right
    {{5, 0}, {5, 0}, {0, 3}, {4, 3}, {4, 3}, {0, 5}, {4, 4}, {4, 4}},  // 4 down
    {{4, 0}, {5, 0}, {0, 3}, {3, 3}, {4, 4}, {0, 4}, {5, 5}, {4, 4}},  // 5 down-left
    {{4, 0}, {6, 0}, {0, 4}, {4, 4}, {5, 4}, {0, 4}, {5, 4}, {4, 4}},  // 6 left
    {{4, 0}, {5, 0}, {0, 4}, {4, 4}, {5, 5}, {0, 3}, {4, 4}, {3, 3}},  // 7 up-left
};

constexpr SpeedPair kDashStep1[kHeadingCount][kSpeedGroups] = {
    {{10, 0}, {10, 0}, {0, 9}, {9, 8}, {9, 8}, {0, 7}, {9, 7}, {9, 7}},
    {{10, 0}, {9, 0}, {0, 8}, {10, 9}, {9, 8}, {0, 7}, {8, 7}, {9, 8}},
    {{11, 0}, {9, 0}, {0, 8}, {10, 8}, {9, 8}, {0, 8}, {9, 8}, {10, 8}},
    {{10, 0}, {9, 0}, {0, 7}, {9, 8}, {8, 7}, {0, 8}, {9, 8}, {10, 9}},
    {{10, 0}, {10, 0}, {0, 7}, {9, 7}, {9, 7}, {0, 9}, {9, 8}, {9, 8}},
    {{9, 0}, {10, 0}, {0, 7}, {8, 7}, {9, 8}, {0, 8}, {10, 9}, {9, 8}},
    {{9, 0}, {11, 0}, {0, 8}, {9, 8}, {10, 8}, {0, 8}, {10, 8}, {9, 8}},
    {{9, 0}, {10, 0}, {0, 8}, {9, 8}, {10, 9}, {0, 7}, {9, 8}, {8, 7}},
};

std::int32_t StepValue(std::int32_t step1, int step) { return step1 == 0 ? 0 : step1 + step - 1; }

void WriteTable(SpeedTable& table, const SpeedPair (&step1)[kHeadingCount][kSpeedGroups], std::int32_t bias) {
    for (int row = 0; row < kHeadingCount; ++row)
        for (int group = 0; group < kSpeedGroups; ++group) {
            const SpeedPair base = step1[row][group];
            table.rows[row].speeds[group][0] = {0, 0};
            for (int step = 1; step < kAccelSteps; ++step) {
                const std::int32_t x = StepValue(base.x, step);
                const std::int32_t y = StepValue(base.y, step);
                table.rows[row].speeds[group][step] = {x ? x + bias : 0, y ? y + bias : 0};
            }
        }
}

}  // namespace

void WriteSpeeds(RobotDescriptor& robot, std::int32_t speedBias) {
    WriteTable(robot.normalSpeeds, kNormalStep1, speedBias);
    WriteTable(robot.dashSpeeds, kDashStep1, speedBias);

    // Dashing right while facing right tops out one step early.
    robot.dashSpeeds.rows[NR].speeds[Right][3].x = 12 + speedBias;
    // The fastest steps toward the facing do not scale with the bias.
    robot.normalSpeeds.rows[NR].speeds[Right][3].x = 8;
    robot.normalSpeeds.rows[NL].speeds[Left][3].x = 8;
    robot.dashSpeeds.rows[NL].speeds[Left][3].x = 13;
}

namespace {

void WriteBody(RobotDescriptor& robot, const MoveSpec& spec, int decelRows) {
    robot.maxHitPoints = spec.maxHitPoints;
    robot.gaugeMax = spec.gaugeMax;
    robot.drawHalfHeight = spec.drawHalfSize;
    robot.drawHalfWidth = spec.drawHalfSize;
    robot.hitHalfHeight = spec.hitHalfSize;
    robot.hitHalfWidth = spec.hitHalfSize;
    robot.spareParam = spec.spareParam;
    robot.stunRecoveryStep = spec.stunRecoveryStep;

    for (int row = 0; row < decelRows; ++row) {
        robot.normalSpeeds.rows[row].decelPeriod = spec.decelPeriod;
        robot.dashSpeeds.rows[row].decelPeriod = spec.decelPeriod;
    }
}

}  // namespace

// Only row 0 of the normal table is read, so rows 4-7 keep what they held.
void FillMove(RobotDescriptor& robot, std::int32_t speedBias, const MoveSpec& spec) {
    WriteBody(robot, spec, 4);
    WriteSpeeds(robot, speedBias);
}

void FillVidiruMove(RobotDescriptor& robot, const MoveSpec& spec) {
    WriteBody(robot, spec, kHeadingCount);
    WriteSpeeds(robot, 0);
}

}  // namespace robotkit
