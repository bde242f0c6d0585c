// Robot 2, "VezoRer".
#include "Weapons.h"

using namespace robotkit;

namespace {

constexpr MoveSpec kBody{.maxHitPoints = 460, .gaugeMax = 400, .drawHalfSize = 25, .hitHalfSize = 15,
                         .spareParam = 10, .stunRecoveryStep = 5, .decelPeriod = 4};

constexpr StraightShotSpec kBuzzBMGN = MachineGun(200, 3);

constexpr MeleeSpec kBuzzBSPK{.offset = 35, .phases = 4, .duration = {4, 4, 4, 8}, .damage = 32,
                              .stun = {80, 80, 80, 80}, .hitKind = {2, 2, 2, 0}, .armExtent = {40, 50, 60, 40},
                              .size = {.upDown = {30, 20}, .diagonal = {25, 25}, .rightLeft = {20, 30}},
                              .fireSound = "ATTACK2", .hitSound = "HITTED2"};

constexpr SwarmSpec kBuzzBFLY{.ammunition = 72, .damage = 20, .stun = 20, .pauseDuration = 1, .burstDuration = 3,
                              .cruiseStraight = 18, .cruiseDiagonal = 15};

}  // namespace

ROBOT_EXPORT(MoveExport, Move)(RobotDescriptor* robot, std::int32_t speedBias) { FillMove(*robot, speedBias, kBody); }

ROBOT_EXPORT(MotionExport, Motion)(MotionGraph* graph) { FillWynmarMotion(*graph, {}); }

ROBOT_EXPORT(WeaponExport, BuzzBMGN)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillStraightShot(*weapon, *tracks, kBuzzBMGN); }

ROBOT_EXPORT(WeaponExport, BuzzBSPK)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillMelee(*weapon, *tracks, kBuzzBSPK); }

ROBOT_EXPORT(WeaponExport, BuzzBFLY)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillSwarm(*weapon, *tracks, kBuzzBFLY); }
