// Robot 7, "VuruRovavu": a heavy gunner with a laser blade, a cannon and
// steering missiles.
#include "Weapons.h"

using namespace robotkit;

namespace {

constexpr MoveSpec kBody{.maxHitPoints = 700, .gaugeMax = 520, .drawHalfSize = 40, .hitHalfSize = 30,
                         .spareParam = 17, .stunRecoveryStep = 6, .decelPeriod = 4};

// node, pose, canAct, canMove, frameCount, fires, canTurn, next, weapons 1-4, guard
constexpr NodeSpec kMotions[] = {
    // Weapon 1, the gun: fires in 14 and 15; holding it loops back to 14.
    {12, 1, 0, 1, 2, 0, 0, 13, {13, 13, 13, 13}, 13},
    {13, 1, 0, 1, 2, 0, 0, 14, {14, 14, 14, 14}, 14},
    {14, 1, 1, 1, 2, 1, 0, 15, {14, 15, 15, 15}, 15},
    {15, 1, 1, 1, 2, 1, 0, 16, {14, 16, 16, 16}, 16},
    {16, 1, 0, 1, 6, 0, 1, 0, {14, 0, 0, 0}, 0},
    // Weapon 2, the blade: drawn in 27, facing held throughout.
    {24, 2, 0, 1, 2, 0, 0, 25, {25, 25, 25, 25}, 25},
    {25, 2, 0, 1, 2, 0, 0, 26, {26, 26, 26, 26}, 26},
    {26, 2, 0, 1, 4, 0, 0, 27, {27, 27, 27, 27}, 27},
    {27, 2, 0, 1, 12, 1, 0, 28, {28, 28, 28, 28}, 28},
    {28, 2, 0, 1, 6, 0, 0, 0, {0, 0, 0, 0}, 0},
    // Weapon 3, the cannon: planted; the wind-up can still switch to the gun or guard.
    {36, 3, 1, 0, 4, 0, 1, 37, {12, 37, 37, 37}, 60},
    {37, 3, 1, 0, 4, 0, 1, 38, {12, 38, 38, 38}, 60},
    {38, 3, 1, 0, 4, 0, 1, 39, {12, 39, 39, 39}, 60},
    {39, 3, 0, 0, 2, 1, 1, 40, {40, 40, 40, 40}, 40},
    {40, 3, 0, 0, 3, 0, 1, 41, {41, 41, 41, 41}, 41},
    {41, 3, 0, 0, 6, 0, 1, 42, {42, 42, 42, 42}, 42},
    {42, 3, 0, 0, 6, 0, 1, 43, {43, 43, 43, 43}, 43},
    {43, 3, 0, 0, 8, 0, 1, 0, {0, 0, 0, 0}, 0},
    // Weapon 4, the missiles: three launches, each gap open to the gun, cannon or guard.
    {48, 4, 1, 1, 5, 0, 1, 49, {12, 49, 36, 49}, 60},
    {49, 4, 1, 1, 5, 0, 1, 50, {12, 50, 36, 50}, 60},
    {50, 4, 0, 0, 4, 1, 1, 51, {51, 51, 51, 51}, 51},
    {51, 4, 1, 0, 4, 0, 1, 52, {12, 52, 36, 52}, 60},
    {52, 4, 0, 0, 4, 1, 1, 53, {53, 53, 53, 53}, 53},
    {53, 4, 1, 0, 4, 0, 1, 54, {12, 54, 36, 54}, 60},
    {54, 4, 0, 0, 4, 1, 1, 55, {55, 55, 55, 55}, 55},
    {55, 4, 0, 0, 4, 0, 1, 56, {56, 56, 56, 56}, 56},
    {56, 4, 0, 0, 4, 0, 1, 0, {0, 0, 0, 0}, 0},
    // Neutral, guard, stun.
    {0, 0, 0, 1, 1, 0, 1, 0, {12, 24, 36, 48}, 60},
    {60, 5, 0, 0, 1, 0, 1, 0, {0, 0, 0, 0}, 60},
    {72, 6, 0, 1, 10, 0, 1, 0, {0, 0, 0, 0}, 0},
};

constexpr StraightShotSpec kCannon{
    .weapon = {.ammunition = 12, .hideOnHit = 1, .singleHit = 1, .volleys = 1, .shotsPerVolley = 1,
               .fireSound = "HITTED1", .hitSound = "HITTED2", .trailCircles = 1,
               .trailRadii = std::array<std::int32_t, 3>{18, 18, 18}, .spareFlag = 1},
    .parts = 1,
    .offsets = {{{0, -40}}, {{30, -30}}, {{40, 0}}, {{30, 30}},
                {{0, 40}}, {{-30, 30}}, {{-40, 0}}, {{-30, -30}}},
    .straightSpeed = 20,
    .diagonalSpeed = 15,
    .flight = {.damage = 240, .stun = 100, .duration = 50, .hitKind = 1, .halfHeight = 15,
               .halfWidth = 15, .extentY = 18, .extentX = 18, .spareWord = 1, .shotMode = ShotStraight,
               .guardBreak = 0, .knockBackMode = 1, .endOnOwnerHit = 0},
    .spent = &kSpentShell,
};

// The blade rides in front of the robot for six 4-frame phases, growing and
// shrinking; the last one no longer hits. Long along the facing axis.
constexpr RidingStrikeSpec kBlade{
    .ammunition = 256,
    .gaugeCost = 150,
    .singleHit = 1,
    .fireSound = "BEAM",
    .hitSound = "HITTED2",
    .damage = 52,
    .offsets = {{0, -50}, {50, -50}, {50, 0}, {50, 50}, {0, 50}, {-50, 50}, {-50, 0}, {-50, -50}},
    .phases = 6,
    .duration = {4, 4, 4, 4, 4, 4},
    .stun = {20, 20, 20, 20, 20, 20},
    .armExtent = {50, 55, 60, 55, 50, 40},
    .hitKind = {2, 2, 2, 2, 2, 0},
    .size = {{30, 20}, {25, 25}, {20, 30}, {25, 25}, {30, 20}, {25, 25}, {20, 30}, {25, 25}},
    .sizedPhases = 8,
};

}  // namespace

ROBOT_EXPORT(MoveExport, Move)(RobotDescriptor* robot, std::int32_t speedBias) { FillMove(*robot, speedBias, kBody); }

ROBOT_EXPORT(MotionExport, Motion)(MotionGraph* graph) { WriteGraph(*graph, kMotions, Numbering::Written); }

ROBOT_EXPORT(WeaponExport, DoviGTR)(WeaponDescriptor* weapon, ShotTrackTable* tracks) {
    FillStraightShot(*weapon, *tracks, kDoviGTR);
}

ROBOT_EXPORT(WeaponExport, DoviLZR)(WeaponDescriptor* weapon, ShotTrackTable* tracks) {
    FillRidingStrike(*weapon, *tracks, kBlade);
}

ROBOT_EXPORT(WeaponExport, DoviCNN)(WeaponDescriptor* weapon, ShotTrackTable* tracks) {
    FillStraightShot(*weapon, *tracks, kCannon);
}

ROBOT_EXPORT(WeaponExport, DoviMSL)(WeaponDescriptor* weapon, ShotTrackTable* tracks) {
    FillMissile(*weapon, *tracks, {.ammunition = 63, .volleys = 8, .damage = 44});
}

// The eight missile path fillers come from the source this module shares with Quillet.
