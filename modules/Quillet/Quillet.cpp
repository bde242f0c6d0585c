// Robot 1, "Vazede type Didazav". Its stick and missiles also arm robot 5.
#include "Weapons.h"

using namespace robotkit;

namespace {

constexpr MoveSpec kBody{.maxHitPoints = 590, .gaugeMax = 480, .drawHalfSize = 30, .hitHalfSize = 20,
                         .spareParam = 12, .stunRecoveryStep = 6, .decelPeriod = 3};

constexpr StraightShotSpec kVidiruMGN = MachineGun(240, 5);

// r, phases, duration, damage, stun, hitKind, extentY, half sizes, sounds
constexpr MeleeSpec kVidiruSTK{35, 6, {4, 4, 4, 4, 4, 4}, 40, {100, 100, 100, 100, 100, 100}, {2, 2, 2, 2, 2, 0},
                               {40, 50, 60, 50, 40, 30}, SameInEveryPlane(25, 25), "ATTACK2", "HITTED2"};

}  // namespace

ROBOT_EXPORT(VidiruMoveExport, VidiruMove)(RobotDescriptor* robot) { FillVidiruMove(*robot, kBody); }

ROBOT_EXPORT(MotionExport, VidiruMotion)(MotionGraph* graph) { FillVazedeMotion(*graph, {}); }

ROBOT_EXPORT(WeaponExport, VidiruMSL)(WeaponDescriptor* weapon, ShotTrackTable* tracks) {
    FillMissile(*weapon, *tracks, {.ammunition = 40, .volleys = 4, .damage = 40});
}

ROBOT_EXPORT(WeaponExport, VidiruMGN)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillStraightShot(*weapon, *tracks, kVidiruMGN); }

ROBOT_EXPORT(WeaponExport, VidiruSTK)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillMelee(*weapon, *tracks, kVidiruSTK); }

// The eight missile path fillers come from the source this module shares with Brakon.
