// The real window shows a fight: the game runs a one-player bout of Brakon
// against the computer's Saltrim on the SDL display for a few seconds of
// frames, then saves what the window shows as a PNG: fight_frame <output path>.
// Then a two-player bout of robot 10 against robot 1, scripted at the keys:
// robot 10's beam drawn while robot 1 reaches out in its strike, saved beside
// the first picture as <name>-beam.png.
#include "HeadlessGame.h"
#include "PngWriter.h"
#include "ScriptedPlayer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    const std::filesystem::path output = argc > 1 ? argv[1] : "fight.png";
    // Headless sound and music: the picture is what matters here.
    HeadlessGame game(std::filesystem::read_symlink("/proc/self/exe").parent_path().string());
    game.video->application.SetCloseHandler([] {});  // the real window's application closes the game
    auto video = platform::MakeSdlVideo();
    video->Provide(devices.services);
    TForm1* form = game.form.get();
    video->application.SetCloseHandler([form] { form->FormClose(); });
    form->FormShow();
    if (video->application.Closed()) {
        std::fprintf(stderr, "the start-up failed\n");
        return 1;
    }
    for (auto& route : form->CpuLadder)
        for (std::int32_t& robot : route) robot = 4;
    form->GameMode = ModeOnePlayer;
    form->p1RobotNumber = 7;
    form->GameStage = StageVersus;
    form->ToBefore();
    form->GameStage = StageIntro;
    form->ToFight();

    std::vector<std::uint8_t> rgb, beamRgb;
    int width = 0, height = 0, frames = 0, beamFrames = 0;
    bool captured = false, beamCaptured = false;
    auto beamBout = [&] {
        // The keys of both players come from a script from here on.
        devices.services.keyboard = &game.video->keyboard;
        form->GameMode = ModeTwoPlayers;
        form->p1RobotNumber = 10;
        form->p2RobotNumber = 1;
        form->GameStage = StageVersus;
        form->ToBefore();
        form->GameStage = StageIntro;
        form->ToFight();
    };
    video->application.Run([&](std::uint16_t key) { form->FormKeyDown(key); }, [&] {
        if (!captured) {
            form->AppIdle();
            if (++frames < 75 + 90 || video->application.Closed()) return;  // the intro, then a second and a half
            captured = video->display.CaptureWindow(rgb, width, height);
            if (!captured) return video->application.Close();
            return beamBout();
        }
        // Both press at once: robot 10's beam, robot 1's strike.
        const bool press = ++beamFrames > 75 + 30 && beamFrames < 75 + 34;
        game.video->keyboard.SetKey(kPlayer1Keys.weapons[2], press);
        game.video->keyboard.SetKey(kPlayer2Keys.weapons[1], press);
        form->AppIdle();
        if (video->application.Closed()) return;
        const ShotRecord& beam = form->shotSlots[2][0][0];
        const bool shown = beam.live && beam.visible && form->players[1].motionNode->pose == PoseWeapon2;
        if (shown) beamCaptured = video->display.CaptureWindow(beamRgb, width, height);
        if (shown || beamFrames > 75 + 120) video->application.Close();
    });
    if (!captured || !beamCaptured) {
        std::fprintf(stderr, captured ? "the beam and the strike never showed together\n" : "reading the window back failed\n");
        return 1;
    }
    std::filesystem::create_directories(output.parent_path().empty() ? "." : output.parent_path());
    std::filesystem::path beamOutput = output;
    beamOutput.replace_filename(output.stem().string() + "-beam" + output.extension().string());
    if (!platform::WritePng(output.string(), width, height, rgb.data()) ||
        !platform::WritePng(beamOutput.string(), width, height, beamRgb.data())) {
        std::fprintf(stderr, "cannot write %s\n", output.c_str());
        return 1;
    }
    std::printf("window %d x %d, saved %s and %s\n", width, height, output.c_str(), beamOutput.c_str());

    // Where the letterboxed picture puts a point of the game's 800 x 600 screen.
    const double scale = std::min(width / 800.0, height / 600.0);
    auto pixel = [&](const std::vector<std::uint8_t>& picture, double gx, double gy) {
        const int x = static_cast<int>((width - 800 * scale) / 2 + gx * scale);
        const int y = static_cast<int>((height - 600 * scale) / 2 + gy * scale);
        return &picture[(static_cast<std::size_t>(y) * width + x) * 3];
    };

    // Player 1's full hit-point bar.
    const std::uint8_t* bar = pixel(rgb, 300.5, 25.5);
    if (bar[2] < 200 || bar[0] > 60 || bar[1] > 60) {
        std::fprintf(stderr, "the hit-point bar reads (%d, %d, %d), not blue\n", bar[0], bar[1], bar[2]);
        return 1;
    }
    // Player 1's beam, green, a little way along its facing from the robot.
    const PlayerRecord& robot10 = form->players[0];
    const ShotPhase& segment = *form->shotSlots[2][0][0].phase;
    const std::uint8_t* ray = pixel(beamRgb, robot10.posX + segment.extentX / 8.0 + 0.5, robot10.posY + segment.extentY / 8.0 + 0.5);
    if (ray[1] < 200 || ray[0] > 60 || ray[2] > 60) {
        std::fprintf(stderr, "the beam reads (%d, %d, %d), not green\n", ray[0], ray[1], ray[2]);
        return 1;
    }
    return 0;
}
