// Robot 11, "DodizevoZ".
#include "Weapons.h"

using namespace robotkit;

namespace {

constexpr MoveSpec kBody{.maxHitPoints = 580, .gaugeMax = 600, .drawHalfSize = 35, .hitHalfSize = 25,
                         .spareParam = 14, .stunRecoveryStep = 5, .decelPeriod = 1};

using enum NodeField;
// Its values in the cells where the Vazede graphs differ; robot 1's elsewhere.
constexpr NodeChange kGraph[] = {
    {0, CanAct, 0},
    {12, FrameCount, 4},
    {13, FrameCount, 6},
    {13, Weapon1Node, 14},
    {14, CanAct, 1},
    {14, FrameCount, 8},
    {24, FrameCount, 2},
    {25, FrameCount, 10},
    {26, FrameCount, 6},
    {36, FrameCount, 8},
    {36, CanTurn, 0},
    {37, CanMove, 0},
    {37, FrameCount, 12},
    {37, CanTurn, 0},
    {38, CanAct, 0},
    {38, CanMove, 0},
    {38, FrameCount, 10},
    {38, CanTurn, 0},
};

constexpr StraightShotSpec kRodiRFL =
    Rifle({.ammunition = 100, .volleys = 6, .damage = 24, .stun = 24, .halfSize = 8});

constexpr SwarmSpec kRodiFLY{.ammunition = 60, .damage = 24, .stun = 20, .pauseDuration = 2, .burstDuration = 2,
                             .cruiseStraight = 15, .cruiseDiagonal = 12};

// One heavy shell that lands where the opponent stood and bursts in six growing steps.
constexpr ShellSpec kRodiNPM{
    .weapon = {.ammunition = 20, .hideOnHit = 0, .singleHit = 1, .volleys = 1, .shotsPerVolley = 1,
               .fireSound = "ATTACK5", .hitSound = "HITTED2", .trailCircles = 0},
    .damage = 100,
    .stun = 140,
    .parts = 1,
    .aim = {{{0, -600}, 8}},
    .aimSize = {6, 12},  // flatter than the phases around it
    .burstSteps = 6,
    // duration, half size, extent
    .burst = {{4, 40, 30}, {4, 60, 45}, {4, 80, 60}, {4, 100, 75}, {4, 120, 90}, {4, 140, 105}},
    .filledTracks = 1,
    .filledPhases = 10,
};

}  // namespace

ROBOT_EXPORT(MoveExport, Move)(RobotDescriptor* robot, std::int32_t speedBias) { FillMove(*robot, speedBias, kBody); }

ROBOT_EXPORT(MotionExport, Motion)(MotionGraph* graph) { FillVazedeMotion(*graph, kGraph); }

ROBOT_EXPORT(WeaponExport, RodiRFL)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillStraightShot(*weapon, *tracks, kRodiRFL); }

ROBOT_EXPORT(WeaponExport, RodiFLY)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillSwarm(*weapon, *tracks, kRodiFLY); }

ROBOT_EXPORT(WeaponExport, RodiNPM)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillShell(*weapon, *tracks, kRodiNPM); }
