// The players' CD: the drive or image that VORNTAK_CD names, or else the
// system's optical drives, through libcdio.
#include "DiscCd.h"
#include "LibcdioSource.h"
#include "PlayerBackends.h"

namespace platform {

std::unique_ptr<CdAudio> MakeLibcdioCdAudio() { return MakeDiscCdAudio(LibcdioDrives()); }

}  // namespace platform
