// The headless back ends, for tests: deterministic, scripted and inspected;
// nothing here opens a window, a sound card or a file on disk.
#pragma once

#include "FakeCd.h"
#include "HeadlessFiles.h"
#include "HeadlessMusic.h"
#include "HeadlessSound.h"
#include "HeadlessSystem.h"
#include "HeadlessVideo.h"

#include <memory>

namespace platform {

inline std::unique_ptr<HeadlessSystem> MakeHeadlessSystem() { return std::make_unique<HeadlessSystem>(); }
inline std::unique_ptr<HeadlessMusic> MakeHeadlessMusic() { return std::make_unique<HeadlessMusic>(); }
inline std::unique_ptr<FakeCd> MakeFakeCd() { return std::make_unique<FakeCd>(); }

}  // namespace platform
