// The real back ends, made in the game's order and handed to its devices: one
// wiring for Torvane and for the benches that run the real game.
#pragma once

#include "CompiledResources.h"
#include "Devices.h"
#include "PlayerBackends.h"
#include "SdlVideo.h"

#include <memory>

struct RealBackends {
    std::unique_ptr<platform::SdlVideo> video = platform::MakeSdlVideo();
    std::unique_ptr<platform::SoundDevice> sound = platform::MakeSdlSound();
    std::unique_ptr<platform::Music> music = platform::MakeFluidSynthMusic();
    std::unique_ptr<platform::CdAudio> cd = platform::MakeLibcdioCdAudio();  // the form's MediaPlayer1
    std::unique_ptr<platform::System> system = platform::MakeSdlSystem();
    std::unique_ptr<platform::Files> files = platform::MakePosixFiles();

    void Provide(Devices& devices) const {
        video->Provide(devices.services);
        devices.services.sound = sound.get();
        devices.services.music = music.get();
        devices.services.system = system.get();
        devices.services.files = files.get();
        devices.services.resources = &CompiledResources();
    }
};
