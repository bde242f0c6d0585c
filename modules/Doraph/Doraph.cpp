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

}  // namespace

ROBOT_EXPORT void Move(RobotDescriptor* robot, std::int32_t speedBias) { FillMove(*robot, speedBias, kBody); }

ROBOT_EXPORT void Motion(MotionGraph* graph) { FillVazedeMotion(*graph, kGraph); }

ROBOT_EXPORT void RodiRFL(WeaponDescriptor* weapon, ShotTrackTable* tracks) { FillStraightShot(*weapon, *tracks, kRodiRFL); }
