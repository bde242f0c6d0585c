// The players' CD service over any kind of disc source: the drive names
// "B:" .. "N:" stand for the sources the kind lists, in order, and a disc is
// played by reading its sound, mixed into the one audio device the sounds
// and the music share.
#pragma once

#include "CdAudio.h"
#include "DiscSource.h"

#include <memory>

namespace platform {

std::unique_ptr<CdAudio> MakeDiscCdAudio(DiscDrives drives);

}  // namespace platform
