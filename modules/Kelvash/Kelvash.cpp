// Robot 9, "Zozuva-Dodar": four weapons, the third a triple cannon built on
// robot 7's gun.
#include "Weapons.h"

using namespace robotkit;

namespace {

constexpr MoveSpec kBody{.maxHitPoints = 720, .gaugeMax = 500, .drawHalfSize = 40, .hitHalfSize = 30,
                         .spareParam = 18, .stunRecoveryStep = 8, .decelPeriod = 1};

// node, pose, canAct, canMove, frameCount, fires, canTurn, next, weapons 1-4, guard
constexpr NodeSpec kMotions[] = {
    {12, 1, 0, 1, 6, 0, 0, 13, {13, 13, 13, 13}, 13},
    {13, 1, 1, 1, 4, 1, 0, 14, {13, 14, 14, 14}, 14},
    {14, 1, 0, 1, 8, 0, 1, 0, {13, 0, 0, 0}, 0},
    {24, 2, 0, 1, 4, 0, 0, 25, {25, 25, 25, 25}, 25},
    {25, 2, 0, 1, 18, 1, 0, 26, {26, 26, 26, 26}, 26},
    {26, 2, 0, 1, 10, 0, 0, 0, {0, 0, 0, 0}, 0},
    {36, 3, 1, 1, 8, 0, 1, 37, {12, 37, 37, 37}, 60},
    {37, 3, 0, 0, 6, 1, 1, 38, {38, 38, 38, 38}, 38},
    {38, 3, 1, 0, 12, 0, 1, 0, {0, 0, 37, 0}, 0},
    // Weapon 2 held as node 48 ends fires from weapon 4's firing node.
    {48, 4, 1, 1, 10, 0, 1, 49, {12, 49, 36, 49}, 60},
    {49, 4, 1, 0, 6, 1, 1, 50, {50, 50, 50, 50}, 50},
    {50, 4, 1, 0, 14, 0, 1, 0, {0, 0, 0, 0}, 0},
    {0, 0, 0, 1, 1, 0, 1, 0, {12, 24, 36, 48}, 60},
    {60, 5, 0, 0, 1, 0, 1, 0, {0, 0, 0, 0}, 60},
    {72, 6, 0, 1, 10, 0, 1, 0, {0, 0, 0, 0}, 0},
};

// Robot 7's gun as a cannon: one volley of three heavy shells, spread wide on the diagonals.
constexpr StraightShotSpec kTDodarCNN = [] {
    StraightShotSpec cannon = kDoviGTR;
    cannon.weapon.ammunition = 48;
    cannon.weapon.volleys = 1;
    cannon.weapon.fireSound = "ATTACK1";
    cannon.weapon.hitSound = "HITTED1";
    constexpr LaunchOffset kDiagonals[4][3] = {{{60, -35}, {60, -60}, {60, -85}},
                                               {{60, 35}, {60, 60}, {60, 85}},
                                               {{-60, 35}, {-60, 60}, {-60, 85}},
                                               {{-60, -35}, {-60, -60}, {-60, -85}}};
    for (int k = 0; k < 4; ++k)
        for (int part = 0; part < 3; ++part) cannon.offsets[2 * k + 1][part] = kDiagonals[k][part];
    cannon.straightSpeed = 20;
    cannon.diagonalSpeed = 15;
    cannon.flight.damage = 36;
    cannon.flight.stun = 60;
    cannon.flight.duration = 40;
    cannon.flight.halfHeight = cannon.flight.halfWidth = 12;
    return cannon;
}();

constexpr PelletFanSpec kTDodarSHT{.ammunition = 210, .stun = 18, .halfSize = 10, .launchStraight = 0, .launchDiagonal = 0};

constexpr MeleeSpec kTDodarBSG{.offset = 40, .phases = 6, .duration = {6, 4, 4, 4, 6, 6}, .damage = 52,
                               .stun = {100, 100, 100, 120, 100, 100}, .hitKind = {2, 2, 2, 2, 2, 2},
                               .armExtent = {60, 70, 80, 70, 60, 50}, .size = SameInEveryPlane(40, 40),
                               .fireSound = "ATTACK2", .hitSound = "HITTED2"};

// Six rockets from the robot's own position.
constexpr RocketSalvoSpec kTDodarRKT{
    .offset = {0, 0},
    .ammunition = 90,
    .rockets = 6,
    .hitSound = "HITTED2",
    .fan = {{{-10, -10}, {-6, -12}, {6, -12}, {10, -10}, {-3, -10}, {3, -10}},
            {{12, 0}, {10, -2}, {2, -10}, {0, -12}, {8, -4}, {4, -8}},
            {{10, -10}, {12, -6}, {12, 6}, {10, 10}, {10, -3}, {10, 3}},
            {{12, 0}, {10, 2}, {2, 10}, {0, 12}, {8, 4}, {4, 8}},
            {{-10, 10}, {-6, 12}, {6, 12}, {10, 10}, {-3, 10}, {3, 10}},
            {{-12, 0}, {-10, 2}, {-2, 10}, {0, 12}, {-8, 4}, {-4, 8}},
            {{-10, -10}, {-12, -6}, {-12, 6}, {-10, 10}, {-10, -3}, {-10, 3}},
            {{-12, 0}, {-10, -2}, {-2, -10}, {0, -12}, {-8, -4}, {-4, -8}}},
};

}  // namespace

ROBOT_EXPORT(MoveExport, Move)(RobotDescriptor* robot, std::int32_t speedBias) { FillMove(*robot, speedBias, kBody); }

ROBOT_EXPORT(MotionExport, Motion)(MotionGraph* graph) { WriteGraph(*graph, kMotions, Numbering::Untouched); }

ROBOT_EXPORT(WeaponExport, TDodarSHT)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillPelletFan(*weapon, *tracks, kTDodarSHT); }

ROBOT_EXPORT(WeaponExport, TDodarBSG)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillMelee(*weapon, *tracks, kTDodarBSG); }

ROBOT_EXPORT(WeaponExport, TDodarCNN)(WeaponDescriptor* weapon, ShotTrackTable* tracks) {
    FillStraightShot(*weapon, *tracks, kTDodarCNN);
}

ROBOT_EXPORT(WeaponExport, TDodarRKT)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillRocketSalvo(*weapon, *tracks, kTDodarRKT); }
