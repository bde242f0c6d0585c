#include "VideoBackends.h"

namespace platform {

std::unique_ptr<HeadlessVideo> MakeHeadlessVideo() { return std::make_unique<HeadlessVideo>(); }
std::unique_ptr<SdlVideo> MakeSdlVideo() { return std::make_unique<SdlVideo>(); }

}  // namespace platform
