// The band of a thick line, filled straight into a 32-bit surface.
#pragma once

#include <SDL.h>

namespace platform {

// Clipped to the surface. Corners and coordinates must fit 16 bits.
void FillThickLine(SDL_Surface* surface, int x1, int y1, int x2, int y2, int width, Uint32 pixel);

}  // namespace platform
