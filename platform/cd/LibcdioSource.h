// Discs through libcdio: the drive or image that VORNTAK_CD names, or else
// the system's optical drives in order.
#pragma once

#include "DiscSource.h"

struct _CdIo;

namespace platform {

DiscDrives LibcdioDrives();

// Reads the table of contents; false when the disc has none that holds together.
bool ReadToc(_CdIo* disc, DiscToc& toc);

}  // namespace platform
