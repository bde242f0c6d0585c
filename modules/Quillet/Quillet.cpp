// Robot 1, "Vazede type Didazav". Its stick and missiles also arm robot 5.
#include "Weapons.h"

using namespace robotkit;

namespace {

constexpr MoveSpec kBody{.maxHitPoints = 590, .gaugeMax = 480, .drawHalfSize = 30, .hitHalfSize = 20,
                         .spareParam = 12, .stunRecoveryStep = 6, .decelPeriod = 3};

constexpr StraightShotSpec kVidiruMGN = MachineGun(240, 5);

constexpr MeleeSpec kVidiruSTK{.offset = 35, .phases = 6, .duration = {4, 4, 4, 4, 4, 4}, .damage = 40,
                               .stun = {100, 100, 100, 100, 100, 100}, .hitKind = {2, 2, 2, 2, 2, 0},
                               .armExtent = {40, 50, 60, 50, 40, 30}, .size = SameInEveryPlane(25, 25),
                               .fireSound = "ATTACK2", .hitSound = "HITTED2"};

}  // namespace

ROBOT_EXPORT(VidiruMoveExport, VidiruMove)(RobotDescriptor* robot) { FillVidiruMove(*robot, kBody); }

ROBOT_EXPORT(MotionExport, VidiruMotion)(MotionGraph* graph) { FillVazedeMotion(*graph, {}); }

ROBOT_EXPORT(WeaponExport, VidiruMSL)(WeaponDescriptor* weapon, ShotTrackTable* tracks) {
    FillMissile(*weapon, *tracks, {.ammunition = 40, .volleys = 4, .damage = 40});
}

ROBOT_EXPORT(WeaponExport, VidiruMGN)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillStraightShot(*weapon, *tracks, kVidiruMGN); }

ROBOT_EXPORT(WeaponExport, VidiruSTK)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillMelee(*weapon, *tracks, kVidiruSTK); }

// The eight missile path fillers come from the source this module shares with Brakon.
