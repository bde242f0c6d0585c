// Robot 3, "VedarAzer": four weapons on long motion chains; like robot 7's,
// its graph numbers its nodes.
#include "Weapons.h"

using namespace robotkit;

namespace {

constexpr MoveSpec kBody{.maxHitPoints = 640, .gaugeMax = 600, .drawHalfSize = 35, .hitHalfSize = 25,
                         .spareParam = 15, .stunRecoveryStep = 6, .decelPeriod = 2};

// node, pose, canAct, canMove, frameCount, fires, canTurn, next, weapons 1-4, guard
constexpr NodeSpec kMotions[] = {
    {12, 1, 0, 1, 6, 0, 0, 13, {13, 13, 13, 13}, 13},
    {13, 1, 0, 1, 3, 0, 0, 14, {14, 14, 14, 14}, 14},
    {14, 1, 0, 1, 3, 1, 0, 15, {15, 15, 15, 15}, 15},
    {15, 1, 1, 1, 8, 0, 1, 0, {13, 0, 0, 0}, 0},
    // Two firing nodes; weapon 2 held repeats the one it is in.
    {24, 2, 0, 1, 2, 0, 0, 25, {25, 25, 25, 25}, 25},
    {25, 2, 0, 1, 6, 1, 0, 26, {26, 25, 26, 26}, 26},
    {26, 2, 0, 1, 6, 1, 0, 27, {25, 26, 27, 27}, 27},
    {27, 2, 0, 1, 6, 0, 0, 0, {0, 0, 0, 0}, 0},
    {36, 3, 0, 1, 8, 0, 0, 37, {12, 37, 37, 48}, 60},
    {37, 3, 0, 0, 16, 1, 0, 38, {38, 38, 38, 38}, 38},
    {38, 3, 0, 0, 6, 0, 0, 0, {0, 0, 0, 0}, 0},
    {48, 4, 0, 1, 4, 0, 1, 49, {49, 49, 49, 49}, 49},
    {49, 4, 0, 1, 4, 0, 1, 50, {50, 50, 50, 50}, 50},
    {50, 4, 1, 1, 4, 0, 1, 51, {51, 51, 51, 51}, 51},
    {51, 4, 1, 1, 4, 1, 1, 52, {52, 52, 52, 49}, 52},
    {52, 4, 1, 1, 8, 0, 1, 0, {0, 0, 0, 49}, 0},
    {0, 0, 0, 1, 1, 0, 1, 0, {12, 24, 36, 48}, 60},
    {60, 5, 0, 0, 1, 0, 1, 0, {0, 0, 0, 0}, 60},
    {72, 6, 0, 1, 10, 0, 1, 0, {0, 0, 0, 0}, 0},
};

// A grenade: flies 40 frames, then a four-step blast, where it hit or where it stopped.
constexpr ChargeSpec kZErovGND{
    .weapon = {.ammunition = 40, .hideOnHit = 0, .singleHit = 1, .volleys = 3, .shotsPerVolley = 1,
               .fireSound = "ATTACK5", .hitSound = "HITTED4", .trailCircles = 1,
               .trailRadii = std::array<std::int32_t, 3>{14, 14, 14}, .spareFlag = 1},
    .common = {.damage = 36, .stun = 120, .spareWord = 0, .guardBreak = 1, .endOnOwnerHit = 0},
    .phases = 5,
    // shotMode, course (a, b), duration, hitKind, half size, extentY, extentX, knockBackMode, hitPhase, nextPhase
    .phase = {{ShotStraight, Course::Heading, 12, 10, 40, 1, 12, 14, 14, 1, 1, 1},
              {ShotStraight, Course::Fixed, 0, 0, 4, 1, 18, 20, 20, 2, kNoPhase, 2},
              {ShotStraight, Course::Fixed, 0, 0, 4, 1, 26, 30, 30, 2, kNoPhase, 3},
              {ShotStraight, Course::Fixed, 0, 0, 4, 1, 35, 40, 40, 2, kNoPhase, 4},
              {ShotStraight, Course::Fixed, 0, 0, 4, 0, 28, 30, 30, 2, kNoPhase, kNoPhase}},
};

constexpr MeleeSpec kZErovCRW{.offset = 40, .phases = 6, .duration = {4, 4, 4, 4, 8, 8}, .damage = 48,
                              .stun = {120, 120, 120, 120, 120, 120}, .hitKind = {2, 2, 2, 2, 0, 0},
                              .armExtent = {40, 50, 60, 70, 50, 40},
                              .size = {.upDown = {25, 35}, .diagonal = {30, 30}, .rightLeft = {35, 25}},
                              .fireSound = "ATTACK2", .hitSound = "HITTED2"};

constexpr BeamSpec kZErovLZR{.damage = 52, .duration = 10};

// A cluster of six bomblets, each aimed at its own offset from the opponent,
// so they fall and burst staggered.
constexpr ShellSpec kZErovNPM{
    .weapon = {.ammunition = 60, .hideOnHit = 0, .singleHit = 1, .volleys = 2, .shotsPerVolley = 6,
               .fireSound = "ATTACK5", .hitSound = "HITTED4", .trailCircles = 0},
    .damage = 40,
    .stun = 80,
    .parts = 6,
    // offset from the opponent, frames
    .aim = {{{20, -600}, 8}, {{100, -640}, 12}, {{-80, -680}, 16}, {{-60, -550}, 14}, {{-20, -550}, 10}, {{-10, -600}, 16}},
    .aimSize = {12, 12},
    .burstSteps = 3,
    // duration, half size, extent
    .burst = {{4, 20, 16}, {6, 30, 40}, {6, 45, 50}},
    .filledTracks = kFilledTracks,
    .filledPhases = 8,  // one past the last: the cluster's partial fill
};

}  // namespace

ROBOT_EXPORT(MoveExport, Move)(RobotDescriptor* robot, std::int32_t speedBias) { FillMove(*robot, speedBias, kBody); }

ROBOT_EXPORT(MotionExport, Motion)(MotionGraph* graph) { WriteGraph(*graph, kMotions, Numbering::Written); }

ROBOT_EXPORT(WeaponExport, ZErovGND)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillCharge(*weapon, *tracks, kZErovGND); }

ROBOT_EXPORT(WeaponExport, ZErovCRW)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillMelee(*weapon, *tracks, kZErovCRW); }

ROBOT_EXPORT(WeaponExport, ZErovLZR)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillBeam(*weapon, *tracks, kZErovLZR); }

ROBOT_EXPORT(WeaponExport, ZErovNPM)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillShell(*weapon, *tracks, kZErovNPM); }
