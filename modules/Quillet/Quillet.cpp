// Robot 1, "Vazede type Didazav". Its stick and missiles also arm robot 5.
#include "RobotKit.h"

using namespace robotkit;

namespace {

constexpr MoveSpec kBody{.maxHitPoints = 590, .gaugeMax = 480, .drawHalfSize = 30, .hitHalfSize = 20,
                         .spareParam = 12, .stunRecoveryStep = 6, .decelPeriod = 3};

}  // namespace

ROBOT_EXPORT void VidiruMove(RobotDescriptor* robot) { FillVidiruMove(*robot, kBody); }

ROBOT_EXPORT void VidiruMotion(MotionGraph* graph) { FillVazedeMotion(*graph, {}); }

ROBOT_EXPORT void VidiruMSL(WeaponDescriptor* weapon, ShotTrackTable* tracks) {
    FillMissile(*weapon, *tracks, {.ammunition = 40, .volleys = 4, .damage = 40});
}

// The eight missile path fillers come from the source this module shares with Brakon.
