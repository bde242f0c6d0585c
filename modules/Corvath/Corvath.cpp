// Robot 10, "D-2-O".
#include "Weapons.h"

using namespace robotkit;

namespace {

constexpr MoveSpec kBody{.maxHitPoints = 480, .gaugeMax = 450, .drawHalfSize = 25, .hitHalfSize = 15,
                         .spareParam = 11, .stunRecoveryStep = 6, .decelPeriod = 2};

using enum NodeField;
// Where its graph departs from robot 2's. Weapon 3's motion never turns, and
// its first node can still switch to weapon 1 or 2 or to the guard.
constexpr NodeChange kGraph[] = {
    {13, Weapon1Node, 14},
    {24, FrameCount, 2},
    {25, FrameCount, 10},
    {26, FrameCount, 6},
    {36, CanAct, 1},
    {36, FrameCount, 8},
    {36, CanTurn, 0},
    {36, Weapon1Node, 12},
    {36, Weapon2Node, 24},
    {36, GuardNode, 60},
    {37, CanTurn, 0},
    {38, CanMove, 0},
    {38, FrameCount, 10},
    {38, CanTurn, 0},
};

constexpr StraightShotSpec kZozerRFL =
    Rifle({.ammunition = 80, .volleys = 5, .damage = 28, .stun = 24, .halfSize = 8});

constexpr MeleeSpec kZozerCRW{.offset = 30, .phases = 5, .duration = {4, 4, 4, 4, 4}, .damage = 32,
                              .stun = {110, 110, 110, 110, 110}, .hitKind = {2, 2, 2, 2, 0},
                              .armExtent = {35, 40, 45, 40, 35}, .size = SameInEveryPlane(25, 25),
                              .fireSound = "ATTACK2", .hitSound = "HITTED2"};

constexpr BeamSpec kZozerLZR{.damage = 40, .duration = 8};

}  // namespace

ROBOT_EXPORT(MoveExport, Move)(RobotDescriptor* robot, std::int32_t speedBias) { FillMove(*robot, speedBias, kBody); }

ROBOT_EXPORT(MotionExport, Motion)(MotionGraph* graph) { FillWynmarMotion(*graph, kGraph); }

ROBOT_EXPORT(WeaponExport, ZozerRFL)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillStraightShot(*weapon, *tracks, kZozerRFL); }

ROBOT_EXPORT(WeaponExport, ZozerCRW)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillMelee(*weapon, *tracks, kZozerCRW); }

ROBOT_EXPORT(WeaponExport, ZozerLZR)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillBeam(*weapon, *tracks, kZozerLZR); }
