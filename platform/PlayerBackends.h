// The players' back ends: SDL2 for the window, input and sound, FluidSynth
// through SDL_mixer for the music, and the local file system.
#pragma once

#include "CdAudio.h"
#include "Files.h"
#include "Music.h"
#include "SoundDevice.h"
#include "System.h"

#include <memory>

namespace platform {

struct SdlVideo;  // SdlVideo.h, for whoever drives the window itself

std::unique_ptr<SdlVideo> MakeSdlVideo();  // the window, its event loop, the keyboard and the joysticks
std::unique_ptr<SoundDevice> MakeSdlSound();
std::unique_ptr<System> MakeSdlSystem();
std::unique_ptr<Music> MakeFluidSynthMusic();  // silent, but working, without an audio device
std::unique_ptr<CdAudio> MakeLibcdioCdAudio();  // VORNTAK_CD, else the optical drives
std::unique_ptr<Files> MakePosixFiles();

}  // namespace platform
