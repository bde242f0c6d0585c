// Discs through libcdio: the drive or image that VORNTAK_CD names, or else
// the system's optical drives in order.
#pragma once

#include "DiscSource.h"

struct _CdIo;

namespace platform {

DiscDrives LibcdioDrives();

// A drive's status answers as a disc there or gone. Only "no medium present"
// counts, and only twice in a row, since a single one may be a drive's passing
// answer; not ready, unit attention or no answer in time leave the disc (a
// read that fails meanwhile is silence).
class MediumWatch {
public:
    static constexpr int kNoMedium = 0x3A;  // the additional sense code

    // `sense`: the additional sense code of a status refused, or -1 for none
    // (the drive ready, or no answer at all).
    bool StillThere(int sense) {
        absent_ = sense == kNoMedium ? absent_ + 1 : 0;
        return absent_ < 2;
    }

private:
    int absent_ = 0;  // "no medium" answers in a row
};

// Reads the table of contents; false when the disc has none that holds together.
bool ReadToc(_CdIo* disc, DiscToc& toc);

}  // namespace platform
