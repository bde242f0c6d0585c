// Torvane: the game program. Chooses the real platform back ends, makes the
// one form, runs the start-up and then the frame loop until the form closes.
#include "GameState.h"
#include "RealBackends.h"

#include <cstdio>
#include <exception>
#include <memory>

// Exits 0 when closed on purpose (Esc, the window's close button, SIGTERM);
// after a failure, 1 with one line on standard error saying what failed.
int main() {
    const RealBackends backends;

    // The device objects live outside the game state, for the whole run.
    Devices devices{};
    backends.Provide(devices);

    std::unique_ptr<TForm1> form(new TForm1(devices));
    form->MediaPlayer1 = backends.cd.get();
    platform::Application& application = *devices.services.application;
    try {
        application.SetCloseHandler([&] { form->FormClose(); });
        form->FormShow();
        if (!application.Closed() && devices.idleInstalled)
            application.Run([&](std::uint16_t key) { form->FormKeyDown(key); }, [&] { form->AppIdle(); });
    } catch (const std::exception& error) {
        backends.system->MessageBox(error.what(), "Error");
        if (!devices.closeReason[0])
            std::snprintf(devices.closeReason, sizeof devices.closeReason, "unexpected error: %s", error.what());
    }
    if (!application.Closed()) application.Close();
    return form->FinishRun();
}
