// The real sound device: our buffers mixed into SDL_mixer's output stream.
#pragma once

#include "SoundDevice.h"

#include <memory>

namespace platform {

std::unique_ptr<SoundDevice> MakeSdlSound();

}  // namespace platform
