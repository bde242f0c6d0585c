#include "Direction.h"

#include <cmath>

std::int32_t DirectionBetween(std::int32_t x, std::int32_t y, const PlayerRecord& to) {
    const double dx = double(x) - double(to.posX);
    const double dy = double(y) - double(to.posY);
    double d = std::sqrt(dx * dx + dy * dy);
    if (d == 0) d = 1;
    const double p = dx / d, q = dy / d;  // from the robot back to the point
    const double s = std::sqrt(3.0) * 0.5;

    if (q >= s) return UN;
    if (q <= -s) return DN;
    if (p < -s) return NR;
    if (p < -0.5) return q >= 0 ? UR : DR;
    if (p <= 0.5) return q >= 0 ? UN : DN;
    if (p <= s) return q >= 0 ? UL : DL;
    return NL;
}
