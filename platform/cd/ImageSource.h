// A BIN/CUE disc image read by the game itself: the sheet read once, the data
// file held open and read on that descriptor for the disc's life, so nothing
// read later can differ from what was checked.
#pragma once

#include "DiscSource.h"

#include <memory>
#include <string>

namespace platform {

// `path` names the image's .cue, or its .bin (the .cue beside it is read);
// nothing when it is not an image the game plays.
std::unique_ptr<DiscSource> OpenImage(const std::string& path);

}  // namespace platform
