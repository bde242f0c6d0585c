// Robot 8, "DudaVazovIrivar": four weapons, the first robot 7's gun re-tuned.
#include "Weapons.h"

using namespace robotkit;

namespace {

constexpr MoveSpec kBody{.maxHitPoints = 660, .gaugeMax = 560, .drawHalfSize = 35, .hitHalfSize = 25,
                         .spareParam = 14, .stunRecoveryStep = 7, .decelPeriod = 3};

// node, pose, canAct, canMove, frameCount, fires, canTurn, next, weapons 1-4, guard
constexpr NodeSpec kMotions[] = {
    {12, 1, 0, 1, 6, 0, 0, 13, {13, 13, 13, 13}, 13},
    {13, 1, 1, 1, 6, 1, 0, 14, {13, 14, 14, 14}, 14},
    {14, 1, 1, 1, 6, 0, 1, 0, {13, 0, 0, 0}, 0},
    {24, 2, 0, 1, 4, 0, 0, 25, {25, 25, 25, 25}, 25},
    {25, 2, 0, 1, 22, 1, 0, 26, {26, 26, 26, 26}, 26},
    {26, 2, 0, 1, 8, 0, 0, 0, {0, 0, 0, 0}, 0},
    {36, 3, 0, 1, 6, 0, 1, 37, {37, 37, 37, 37}, 37},
    {37, 3, 0, 1, 6, 1, 1, 38, {38, 38, 38, 38}, 38},
    {38, 3, 1, 1, 4, 0, 1, 0, {0, 0, 37, 0}, 0},
    // Weapon 4's first node can still switch to any other weapon or the guard.
    {48, 4, 1, 1, 12, 0, 1, 49, {12, 24, 36, 49}, 60},
    {49, 4, 0, 0, 6, 1, 1, 50, {50, 50, 50, 50}, 50},
    {50, 4, 1, 0, 12, 0, 1, 0, {0, 0, 0, 49}, 0},
    {0, 0, 0, 1, 1, 0, 1, 0, {12, 24, 36, 48}, 60},
    {60, 5, 0, 0, 1, 0, 1, 0, {0, 0, 0, 0}, 60},
    {72, 6, 0, 1, 10, 0, 1, 0, {0, 0, 0, 0}, 0},
};

// Robot 7's gun: fewer, slower, harder shots.
constexpr StraightShotSpec kFMHGTR = [] {
    StraightShotSpec gun = kDoviGTR;
    gun.weapon.ammunition = 200;
    gun.weapon.volleys = 4;
    gun.straightSpeed = 15;
    gun.diagonalSpeed = 10;
    gun.flight.damage = 12;
    gun.flight.duration = 20;
    return gun;
}();

constexpr MeleeSpec kFMHSWD{.offset = 45, .phases = 6, .duration = {6, 4, 4, 4, 6, 6}, .damage = 80,
                            .stun = {140, 120, 120, 120, 120, 120}, .hitKind = {2, 2, 2, 2, 2, 2},
                            .armExtent = {50, 60, 70, 80, 60, 50}, .size = SameInEveryPlane(45, 45),
                            .fireSound = "ATTACK2", .hitSound = "HITTED2"};

constexpr SwingingShotSpec kFMHCPR{.ammunition = 30, .volleys = 2, .damage = 28, .stun = 28};

// Four rockets from above-left of the robot, whichever way it faces. The
// inner rockets of the diagonal planes are the slower ones.
constexpr RocketSalvoSpec kFMHRKT{
    .offset = {-40, -30},
    .ammunition = 60,
    .rockets = 4,
    .hitSound = "HITTED4",
    .fan = {{{-10, -10}, {-3, -12}, {3, -12}, {10, -10}},
            {{12, 0}, {6, -4}, {4, -6}, {0, -12}},
            {{10, -10}, {12, -3}, {12, 3}, {10, 10}},
            {{12, 0}, {4, 6}, {6, 4}, {0, 12}},
            {{-10, 10}, {-3, 12}, {3, 12}, {10, 10}},
            {{-12, 0}, {-6, 4}, {-4, 6}, {0, 12}},
            {{-10, -10}, {-12, -3}, {-12, 3}, {-10, 10}},
            {{-12, 0}, {-6, -4}, {-4, -6}, {0, -12}}},
};

}  // namespace

ROBOT_EXPORT(MoveExport, Move)(RobotDescriptor* robot, std::int32_t speedBias) { FillMove(*robot, speedBias, kBody); }

ROBOT_EXPORT(MotionExport, Motion)(MotionGraph* graph) { WriteGraph(*graph, kMotions, Numbering::Untouched); }

ROBOT_EXPORT(WeaponExport, FMHGTR)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillStraightShot(*weapon, *tracks, kFMHGTR); }

ROBOT_EXPORT(WeaponExport, FMHSWD)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillMelee(*weapon, *tracks, kFMHSWD); }

ROBOT_EXPORT(WeaponExport, FMHCPR)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillSwingingShot(*weapon, *tracks, kFMHCPR); }

ROBOT_EXPORT(WeaponExport, FMHRKT)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillRocketSalvo(*weapon, *tracks, kFMHRKT); }
