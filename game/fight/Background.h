// The arena floor: a lattice of lines 200 pixels apart that travels with the
// screen's scroll, kept over the screen by wrapping one cell at a time.
#pragma once

#include "Canvas.h"
#include "GameState.h"
#include "Scene.h"

inline constexpr std::int32_t kGridCell = 200;

// The lattice's lines, with the grid pen.
void DrawBackLine(const Scene& scene, platform::Canvas& dc);
