// The fight's frame (TForm1::FightStage, which returns the hand-over at a
// bout's end) and the screen scroll it computes.
#pragma once

#include "GameState.h"

// A robot closer than this to the left or right edge (top or bottom) and
// moving outward scrolls the world the other way.
inline constexpr std::int32_t kScrollMarginX = 200;
inline constexpr std::int32_t kScrollMarginY = 150;

struct ScrollDelta {
    std::int32_t dx, dy;
};

// This frame's scroll from both robots' positions and speeds: the sum of
// their shares, three fifths of it.
ScrollDelta ScrollDeltaOf(const TForm1& form);
