// The system, music and CD back ends. The headless ones (and the scripted CD)
// are for tests and are made directly: HeadlessSystem, HeadlessMusic, FakeCd.
#pragma once

#include "CdAudio.h"
#include "FakeCd.h"
#include "HeadlessFiles.h"
#include "HeadlessMusic.h"
#include "HeadlessSystem.h"
#include "Music.h"
#include "PosixFiles.h"
#include "System.h"

#include <memory>

namespace platform {

inline std::unique_ptr<HeadlessSystem> MakeHeadlessSystem() { return std::make_unique<HeadlessSystem>(); }
inline std::unique_ptr<HeadlessMusic> MakeHeadlessMusic() { return std::make_unique<HeadlessMusic>(); }
inline std::unique_ptr<FakeCd> MakeFakeCd() { return std::make_unique<FakeCd>(); }

std::unique_ptr<System> MakeSdlSystem();
std::unique_ptr<Music> MakeSdlMusic();      // silent, but working, without an audio device
std::unique_ptr<CdAudio> MakeNoCdAudio();  // the players' CD on Linux: no drives at all
inline std::unique_ptr<Files> MakePosixFiles() { return std::make_unique<PosixFiles>(); }

}  // namespace platform
