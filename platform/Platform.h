// Every platform service the game uses, chosen once at start-up: the headless
// back ends (deterministic, inspectable; every test runs on them) or the real
// ones (SDL2) for players.
#pragma once

#include "Display.h"
#include "Files.h"
#include "Input.h"
#include "Music.h"
#include "Resources.h"
#include "SoundDevice.h"
#include "System.h"

namespace platform {

struct Services {
    Application* application;
    Display* display;
    Keyboard* keyboard;
    Joysticks* joysticks;
    SoundDevice* sound;
    Music* music;
    System* system;
    Files* files;
    ResourceStore* resources;
};

// The window, picture and input services of one back end.
inline void ProvideVideo(Services& services, Application& application, Display& display, Keyboard& keyboard,
                         Joysticks& joysticks) {
    services.application = &application;
    services.display = &display;
    services.keyboard = &keyboard;
    services.joysticks = &joysticks;
}

}  // namespace platform
