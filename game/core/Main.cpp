// Torvane: the game program. Chooses the real platform back ends, makes the
// one form, runs the start-up and then the frame loop until the form closes.
#include "CompiledResources.h"
#include "Devices.h"
#include "GameState.h"
#include "PlayerBackends.h"
#include "SdlVideo.h"

#include <cstdio>
#include <exception>
#include <memory>

// Exits 0 when closed on purpose (Esc, the window's close button, SIGTERM);
// after a failure, 1 with one line on standard error saying what failed.
int main() {
    auto video = platform::MakeSdlVideo();
    auto sound = platform::MakeSdlSound();
    auto music = platform::MakeFluidSynthMusic();
    auto cd = platform::MakeLibcdioCdAudio();
    auto system = platform::MakeSdlSystem();
    auto files = platform::MakePosixFiles();

    // The device objects live outside the game state, for the whole run.
    Devices devices{};

    video->Provide(devices.services);
    devices.services.sound = sound.get();
    devices.services.music = music.get();
    devices.services.system = system.get();
    devices.services.files = files.get();
    devices.services.resources = &CompiledResources();

    std::unique_ptr<TForm1> form(new TForm1(devices));
    form->MediaPlayer1 = cd.get();
    platform::Application& application = *devices.services.application;
    try {
        application.SetCloseHandler([&] { form->FormClose(); });
        form->FormShow();
        if (!application.Closed() && devices.idleInstalled)
            application.Run([&](std::uint16_t key) { form->FormKeyDown(key); }, [&] { form->AppIdle(); });
    } catch (const std::exception& error) {
        system->MessageBox(error.what(), "Error");
        if (!devices.closeReason[0])
            std::snprintf(devices.closeReason, sizeof devices.closeReason, "unexpected error: %s", error.what());
    }
    if (!application.Closed()) application.Close();
    return form->FinishRun();
}
