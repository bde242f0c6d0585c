// The game on headless back ends for a test, with a scratch folder of its own.
#pragma once

#include "HeadlessGame.h"
#include "RobotTable.h"
#include "Scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

// The select screen hides robot 11 until a survival run unlocks it, so robot
// 10 is the last one it offers before that.
inline constexpr std::int32_t kLockedRobot = 11;
inline constexpr std::int32_t kLastOpenRobot = 10;

class GameFixture : public ::testing::Test, protected HeadlessGame {
protected:
    GameFixture() : HeadlessGame(RUN_DIRECTORY) {}  // the tunes and modules lie beside the game
    void TearDown() override {
        Shut();
        if (!scratch.empty()) std::filesystem::remove_all(scratch);
    }

    // The start-up, then a scratch folder.
    void StartGame() {
        form->FormShow();
        ASSERT_FALSE(video->application.Closed());
        MoveToScratch();
    }

    // A bout entered from the versus screen as the game does: the fight intro begins.
    void EnterBout(std::int32_t mode, std::int32_t p1Robot, std::int32_t p2Robot) {
        form->GameMode = mode;
        form->p1RobotNumber = p1Robot;
        form->p2RobotNumber = p2Robot;
        form->GameStage = StageVersus;
        form->ToBefore();
        form->GameStage = StageIntro;
        form->ToFight();
    }

    // Straight into the fight proper, robots apart in mid-field, nothing moving.
    void SkipIntro() {
        for (int frame = 0; frame < 75; ++frame) form->FightStage();
        ASSERT_EQ(form->GameStage, StageFight);
        Place(0, 300, 300);
        Place(1, 500, 300);
    }
    void Place(int p, std::int32_t x, std::int32_t y) {
        form->players[p].posX = x;
        form->players[p].posY = y;
    }
    // Fight frames, as long as the game runs.
    void Frames(int n) {
        for (int frame = 0; frame < n && !video->application.Closed(); ++frame) form->Follow(form->FightStage());
    }
    PlayerRecord& P(int p) { return form->players[p]; }

    // The program's last step: what it writes to standard error; its exit status goes into `status`.
    std::string FinishRunSays() {
        testing::internal::CaptureStderr();
        status = form->FinishRun();
        return testing::internal::GetCapturedStderr();
    }
    int status = -1;

    // After the start-up has found its tunes, work in a folder of the test's
    // own, so that files the game writes (the score) stay out of the run directory.
    // A parameterised test's name holds a '/' ("FiresFromItsMotion/3"): one
    // folder all the same, so that removing it leaves nothing behind.
    void MoveToScratch() {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        scratch = std::filesystem::temp_directory_path() / ("vorntak-" + std::to_string(::getpid()) + "-" + name);
        std::filesystem::create_directories(scratch);
        system.currentDirectory = scratch.string();
    }

    // A drawing context for a drawer, with the start-up's pens and brushes.
    void MakeScreen() {
        form->StartDX();
        devices.display.brushBlue = video->display.CreateBrush({0, 0, 255});
        canvas = video->display.TakeContext();
    }
    // What a drawer is given, as the frame gives it.
    Scene View() const { return {*form, devices.display, devices.JoySet1, devices.JoySet2}; }
    platform::Canvas* canvas = nullptr;

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

    std::filesystem::path scratch;
};
