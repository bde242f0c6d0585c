// The compiled-in WAVE images; their definitions are generated at build time.
#pragma once

#include "Resources.h"

#include <cstddef>

namespace assets {

extern const platform::Resource kCompiledWaves[];
extern const std::size_t kCompiledWaveCount;

}  // namespace assets
