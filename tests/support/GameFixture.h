// The game on headless back ends: the real form, loader, sounds and tunes,
// with every service inspectable.
#pragma once

#include "CompiledResources.h"
#include "Devices.h"
#include "GameState.h"
#include "HeadlessSound.h"
#include "SystemBackends.h"
#include "VideoBackends.h"

#include <gtest/gtest.h>

#include <memory>

class GameFixture : public ::testing::Test {
protected:
    void SetUp() override {
        devices = Devices{};
        video->Provide(devices.services);
        devices.services.sound = &sound;
        devices.services.music = &music;
        devices.services.cd = &cd;
        devices.services.system = &system;
        devices.services.resources = &CompiledResources();
        system.currentDirectory = RUN_DIRECTORY;  // the tunes lie beside the game
        form->MediaPlayer1 = &cd;
        video->application.SetCloseHandler([this] { form->FormClose(); });
    }
    void TearDown() override {
        if (!video->application.Closed()) video->application.Close();
        devices = Devices{};
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : system.boxes) texts.push_back(box.text);
        return texts;
    }

    std::unique_ptr<platform::HeadlessVideo> video = platform::MakeHeadlessVideo();
    platform::HeadlessSound sound;
    platform::HeadlessMusic music;
    platform::FakeCd cd;
    platform::HeadlessSystem system;
    std::unique_ptr<TForm1> form{new TForm1()};
};
