// Robot 2, "VezoRer".
#include "RobotKit.h"

using namespace robotkit;

namespace {

constexpr MoveSpec kBody{.maxHitPoints = 460, .gaugeMax = 400, .drawHalfSize = 25, .hitHalfSize = 15,
                         .spareParam = 10, .stunRecoveryStep = 5, .decelPeriod = 4};

}  // namespace

ROBOT_EXPORT void Move(RobotDescriptor* robot, std::int32_t speedBias) { FillMove(*robot, speedBias, kBody); }

ROBOT_EXPORT void Motion(MotionGraph* graph) { FillWynmarMotion(*graph, {}); }
