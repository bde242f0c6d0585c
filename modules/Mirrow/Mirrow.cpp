// Robot 3, "VedarAzer": four weapons on long motion chains, the only graph
// that numbers its nodes.
#include "RobotKit.h"

using namespace robotkit;

namespace {

constexpr MoveSpec kBody{.maxHitPoints = 640, .gaugeMax = 600, .drawHalfSize = 35, .hitHalfSize = 25,
                         .spareParam = 15, .stunRecoveryStep = 6, .decelPeriod = 2};

// node, pose, canAct, canMove, frameCount, fires, canTurn, next, weapons 1-4, guard
constexpr NodeSpec kMotions[] = {
    {12, 1, 0, 1, 6, 0, 0, 13, {13, 13, 13, 13}, 13},
    {13, 1, 0, 1, 3, 0, 0, 14, {14, 14, 14, 14}, 14},
    {14, 1, 0, 1, 3, 1, 0, 15, {15, 15, 15, 15}, 15},
    {15, 1, 1, 1, 8, 0, 1, 0, {13, 0, 0, 0}, 0},
    // Two firing nodes; weapon 2 held repeats the one it is in.
    {24, 2, 0, 1, 2, 0, 0, 25, {25, 25, 25, 25}, 25},
    {25, 2, 0, 1, 6, 1, 0, 26, {26, 25, 26, 26}, 26},
    {26, 2, 0, 1, 6, 1, 0, 27, {25, 26, 27, 27}, 27},
    {27, 2, 0, 1, 6, 0, 0, 0, {0, 0, 0, 0}, 0},
    {36, 3, 0, 1, 8, 0, 0, 37, {12, 37, 37, 48}, 60},
    {37, 3, 0, 0, 16, 1, 0, 38, {38, 38, 38, 38}, 38},
    {38, 3, 0, 0, 6, 0, 0, 0, {0, 0, 0, 0}, 0},
    {48, 4, 0, 1, 4, 0, 1, 49, {49, 49, 49, 49}, 49},
    {49, 4, 0, 1, 4, 0, 1, 50, {50, 50, 50, 50}, 50},
    {50, 4, 1, 1, 4, 0, 1, 51, {51, 51, 51, 51}, 51},
    {51, 4, 1, 1, 4, 1, 1, 52, {52, 52, 52, 49}, 52},
    {52, 4, 1, 1, 8, 0, 1, 0, {0, 0, 0, 49}, 0},
    {0, 0, 0, 1, 1, 0, 1, 0, {12, 24, 36, 48}, 60},
    {60, 5, 0, 0, 1, 0, 1, 0, {0, 0, 0, 0}, 60},
    {72, 6, 0, 1, 10, 0, 1, 0, {0, 0, 0, 0}, 0},
};

}  // namespace

ROBOT_EXPORT void Move(RobotDescriptor* robot, std::int32_t speedBias) { FillMove(*robot, speedBias, kBody); }

ROBOT_EXPORT void Motion(MotionGraph* graph) { WriteGraph(*graph, kMotions, Numbering::Written); }
