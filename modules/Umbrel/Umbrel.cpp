// Robot 5, "Vazede type Zazov". Its stick and missiles are robot 1's,
// bound from Quillet.
#include "Weapons.h"

using namespace robotkit;

namespace {

constexpr MoveSpec kBody{.maxHitPoints = 590, .gaugeMax = 480, .drawHalfSize = 30, .hitHalfSize = 20,
                         .spareParam = 12, .stunRecoveryStep = 6, .decelPeriod = 2};

using enum NodeField;
// Its values in the cells where the Vazede graphs differ; robot 1's elsewhere.
constexpr NodeChange kGraph[] = {
    {0, CanAct, 1},
    {12, FrameCount, 4},
    {13, FrameCount, 8},
    {13, Weapon1Node, 14},
    {14, CanAct, 0},
    {14, FrameCount, 6},
    {24, FrameCount, 4},
    {25, FrameCount, 16},
    {26, FrameCount, 6},
    {36, FrameCount, 10},
    {36, CanTurn, 1},
    {37, CanMove, 0},
    {37, FrameCount, 10},
    {37, CanTurn, 1},
    {38, CanAct, 1},
    {38, CanMove, 1},
    {38, FrameCount, 10},
    {38, CanTurn, 1},
};

constexpr StraightShotSpec kVidiruVRFL =
    Rifle({.ammunition = 80, .volleys = 5, .damage = 28, .stun = 28, .halfSize = 10});

}  // namespace

ROBOT_EXPORT(MoveExport, Move)(RobotDescriptor* robot, std::int32_t speedBias) { FillMove(*robot, speedBias, kBody); }

ROBOT_EXPORT(MotionExport, Motion)(MotionGraph* graph) { FillVazedeMotion(*graph, kGraph); }

ROBOT_EXPORT(WeaponExport, VidiruVRFL)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillStraightShot(*weapon, *tracks, kVidiruVRFL); }
