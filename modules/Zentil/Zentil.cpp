// Robot 6, "DedoVez".
#include "Weapons.h"

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

constexpr PelletFanSpec kDIvoSHT{.ammunition = 220, .stun = 12, .halfSize = 8, .launchStraight = 30, .launchDiagonal = 25};

// A chain that hits every frame it overlaps in phases 1-3.
constexpr MeleeSpec kDIvoCHN{.offset = 30, .phases = 5, .duration = {4, 4, 4, 4, 4}, .damage = 12,
                             .stun = {4, 0, 0, 0, 0}, .hitKind = {0, 2, 2, 2, 0}, .armExtent = {30, 30, 30, 30, 30},
                             .size = {.upDown = {35, 20}, .diagonal = {24, 24}, .rightLeft = {20, 35}},
                             .fireSound = "ATTACK3", .hitSound = "HITTED4", .singleHit = 0};

// A mine: thrown back for 5 frames, it creeps toward the opponent for 120,
// then bursts in three steps, where it hit or where its time ran out.
constexpr ChargeSpec kDIvoMIN{
    .weapon = {.ammunition = 48, .hideOnHit = 0, .singleHit = 1, .volleys = 4, .shotsPerVolley = 1,
               .fireSound = "BEAM", .hitSound = "HITTED1", .trailCircles = 0},
    .common = {.damage = 36, .stun = 100, .spareWord = 0, .guardBreak = 1, .knockBackMode = 2, .endOnOwnerHit = 0},
    .phases = 5,
    // shotMode, course (a, b), duration, hitKind, half size, extentY, extentX, knockBackMode, hitPhase, nextPhase
    .phase = {{ShotStraight, Course::Opposite, 30, 24, 5, 1, 10, 14, 15, 2, 1, 1},
              {ShotChasing, Course::Fixed, 5, 5, 120, 1, 10, 14, 15, 2, 2, 2},
              {ShotStraight, Course::Fixed, 0, 0, 4, 1, 20, 24, 24, 2, kNoPhase, 3},
              {ShotStraight, Course::Fixed, 0, 0, 4, 1, 32, 36, 36, 2, kNoPhase, 4},
              {ShotStraight, Course::Fixed, 0, 0, 4, 0, 40, 48, 48, 2, kNoPhase, kNoPhase}},
};

}  // namespace

ROBOT_EXPORT(MoveExport, Move)(RobotDescriptor* robot, std::int32_t speedBias) { FillMove(*robot, speedBias, kBody); }

ROBOT_EXPORT(MotionExport, Motion)(MotionGraph* graph) { FillVazedeMotion(*graph, kGraph); }

ROBOT_EXPORT(WeaponExport, DIvoSHT)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillPelletFan(*weapon, *tracks, kDIvoSHT); }

ROBOT_EXPORT(WeaponExport, DIvoCHN)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillMelee(*weapon, *tracks, kDIvoCHN); }

ROBOT_EXPORT(WeaponExport, DIvoMIN)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillCharge(*weapon, *tracks, kDIvoMIN); }
