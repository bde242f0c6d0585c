// The arena floor: a lattice of lines 200 pixels apart that travels with the
// screen's scroll, kept over the screen by wrapping one cell at a time.
#pragma once

#include "GameState.h"

inline constexpr std::int32_t kGridCell = 200;

// Moves every point of the lattice by (dx, dy), then wraps it back over the
// screen (TForm1::BackMove) by at most one cell per axis.
void BackMove(TForm1& form, std::int32_t dx, std::int32_t dy);
