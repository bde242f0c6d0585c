// The game on headless back ends: the real form, loader, sounds and tunes,
// with every service inspectable. `directory` is where the modules and tunes lie.
#pragma once

#include "CompiledResources.h"
#include "Devices.h"
#include "GameState.h"
#include "HeadlessBackends.h"

#include <memory>
#include <string>

struct HeadlessGame {
    explicit HeadlessGame(const std::string& directory) {
        video->Provide(devices.services);
        devices.services.sound = &sound;
        devices.services.music = &music;
        devices.services.system = &system;
        devices.services.files = &files;
        devices.services.resources = &CompiledResources();
        system.currentDirectory = directory;
        form->MediaPlayer1 = &cd;
        video->application.SetCloseHandler([this] { form->FormClose(); });
    }
    ~HeadlessGame() { Shut(); }
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    // Closes the game if it still runs and forgets the services.
    void Shut() {
        if (!video->application.Closed()) video->application.Close();
        devices = Devices{};
    }

    Devices devices{};  // the game's device objects, outside its state
    std::unique_ptr<platform::HeadlessVideo> video = platform::MakeHeadlessVideo();
    platform::HeadlessSound sound;
    platform::HeadlessMusic music;
    platform::FakeCd cd;
    platform::HeadlessSystem system;
    platform::HeadlessFiles files;
    std::unique_ptr<TForm1> form{new TForm1(devices)};
};
