// The display, application, keyboard and joysticks of one back end, made
// together: headless for tests, SDL for players.
#pragma once

#include "HeadlessVideo.h"
#include "Platform.h"
#include "SdlVideo.h"

#include <memory>

namespace platform {

struct HeadlessVideo {
    HeadlessDisplay display;
    HeadlessApplication application;
    HeadlessKeyboard keyboard;
    HeadlessJoysticks joysticks;

    void Provide(Services& services) {
        services.application = &application;
        services.display = &display;
        services.keyboard = &keyboard;
        services.joysticks = &joysticks;
    }
};

// Members are made in this order and undone in reverse, so the window closes
// before SDL's event and joystick services stop.
struct SdlVideo {
    SdlApplication application;
    SdlJoysticks joysticks;
    SdlKeyboard keyboard;
    SdlDisplay display;

    void Provide(Services& services) {
        services.application = &application;
        services.display = &display;
        services.keyboard = &keyboard;
        services.joysticks = &joysticks;
    }
};

std::unique_ptr<HeadlessVideo> MakeHeadlessVideo();
std::unique_ptr<SdlVideo> MakeSdlVideo();

}  // namespace platform
