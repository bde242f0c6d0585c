#pragma once

#include "GameState.h"

// The unit step of each heading 0-7, clockwise from up; y grows downward.
struct UnitStep {
    int x, y;
};
inline constexpr UnitStep kUnitSteps[kHeadingCount] = {{0, -1}, {1, -1}, {1, 0},  {1, 1},
                                                       {0, 1},  {-1, 1}, {-1, 0}, {-1, -1}};

// The heading from the point (x, y) toward a robot: straight headings own
// 60-degree sectors, diagonals the 30 degrees between; the same point gives up.
std::int32_t DirectionBetween(std::int32_t x, std::int32_t y, const PlayerRecord& to);
