// The arena floor: a lattice of lines 200 pixels apart that travels with the
// screen's scroll, kept over the screen by wrapping one cell at a time.
#pragma once

#include "GameState.h"

inline constexpr std::int32_t kGridCell = 200;
