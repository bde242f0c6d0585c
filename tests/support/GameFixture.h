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

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

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
        if (!scratch.empty()) std::filesystem::remove_all(scratch);
    }

    // After the start-up has found its tunes, work in a folder of the test's
    // own, so that files the game writes (the score) stay out of the run directory.
    void MoveToScratch() {
        scratch = std::filesystem::temp_directory_path() /
                  ("vorntak-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(scratch);
        system.currentDirectory = scratch.string();
    }

    // A drawing context for a drawer, with the start-up's pens and brushes.
    void MakeScreen() {
        form->StartDX();
        devices.display.brushBlue = video->display.CreateBrush({0, 0, 255});
        devices.display.backDc = video->display.TakeContext();
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (const auto& text : video->display.Texts()) texts.push_back(text.text);
        return texts;
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
    std::filesystem::path scratch;
};
