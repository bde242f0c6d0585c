// The game's own sounds, compiled into the program.
#pragma once

#include "Resources.h"

// Type "WAVE", looked up by exact, case-sensitive name; loading always
// succeeds and the bytes are the compiled-in image.
platform::ResourceStore& CompiledResources();
