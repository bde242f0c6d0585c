// Robot 6, "DedoVez".
#include "RobotKit.h"

using namespace robotkit;

namespace {

constexpr MoveSpec kBody{.maxHitPoints = 600, .gaugeMax = 540, .drawHalfSize = 30, .hitHalfSize = 20,
                         .spareParam = 12, .stunRecoveryStep = 5, .decelPeriod = 1};

using enum NodeField;
// Its values in the cells where the Vazede graphs differ; robot 1's elsewhere.
constexpr NodeChange kGraph[] = {
    {0, CanAct, 1},
    {12, FrameCount, 6},
    {13, FrameCount, 4},
    {13, Weapon1Node, 14},
    {14, CanAct, 0},
    {14, FrameCount, 8},
    {24, FrameCount, 8},
    {25, FrameCount, 20},
    {26, FrameCount, 6},
    {36, FrameCount, 10},
    {36, CanTurn, 1},
    {37, CanMove, 1},
    {37, FrameCount, 4},
    {37, CanTurn, 1},
    {38, CanAct, 1},
    {38, CanMove, 1},
    {38, FrameCount, 4},
    {38, CanTurn, 1},
};

}  // namespace

ROBOT_EXPORT void Move(RobotDescriptor* robot, std::int32_t speedBias) { FillMove(*robot, speedBias, kBody); }

ROBOT_EXPORT void Motion(MotionGraph* graph) { FillVazedeMotion(*graph, kGraph); }
