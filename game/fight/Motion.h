// A robot's own mechanics in a fight frame: which way it faces, which motion
// node it is in and which action it performs, how fast it goes and where it
// moves. The fight stage calls them for player 1, then player 2: facing,
// (input), actions, movement, (scroll and shots), then the motions advance.
#pragma once

#include "GameState.h"

#include <algorithm>


struct MoveStep {
    std::int32_t x, y;  // x grows to the right, y downward
};

// The arena: a robot stands strictly inside it.
inline constexpr std::int32_t kFieldWidth = 800;
inline constexpr std::int32_t kFieldHeight = 600;

// Takes the robot to (x, y) on each axis where that stays inside the arena.
void MoveWithinArena(PlayerRecord& robot, std::int64_t x, std::int64_t y);

// A robot's hit rectangle centred on (x, y), wide enough for any module's half sizes.
struct HitBox {
    std::int64_t left, top, right, bottom;
};
// Both are here to be inlined: each shot of a frame asks them.
inline HitBox HitBoxAt(const PlayerRecord& robot, std::int64_t x, std::int64_t y) {
    const std::int64_t hw = robot.robot ? robot.robot->hitHalfWidth : 0;
    const std::int64_t hh = robot.robot ? robot.robot->hitHalfHeight : 0;
    return {x - hw, y - hh, x + hw, y + hh};
}

// True when the rectangles share an area; rectangles that only touch do not.
inline bool BoxesOverlap(const HitBox& a, const HitBox& b) {
    return std::max(a.left, b.left) < std::min(a.right, b.right) && std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

// The push a stunned robot gets each frame, by its knock-back heading; none for a bad heading.
MoveStep KnockBackStep(std::int32_t knockBackHeading);

// The heading a dash in the direction code points to; `heading` for code 0 or an unknown code.
std::int32_t DashHeading(std::int32_t directionCode, std::int32_t heading);

// In a node that allows turning: face the opponent, or while dashing the input's direction.
void FaceOpponent(PlayerRecord& robot, const PlayerRecord& opponent);
void FaceOpponent(TForm1& form, int player);

// A new press of guard or a weapon starts its motion from a node that allows actions.
void StartAction(TForm1& form, int player);

// One frame of the current node: a stun wears off, or the node ends into its successor.
void AdvanceMotion(TForm1& form, int player);

// The speeds from the input, on the normal or the dash table, and the decay of released senses.
void UpdateSpeed(PlayerRecord& robot);
void UpdateSpeedDash(PlayerRecord& robot);

// The gauge, the speeds and one step of movement, kept off the opponent and inside the field.
void MoveRobot(PlayerRecord& robot, const PlayerRecord& opponent);
void MoveRobot(TForm1& form, int player);
