// The real window shows a fight: the game runs a one-player bout of Brakon
// against the computer's Saltrim on the SDL display for a few seconds of
// frames, then saves what the window shows as a PNG: fight_frame <output path>.
#include "HeadlessGame.h"
#include "PngWriter.h"

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

    std::vector<std::uint8_t> rgb;
    int width = 0, height = 0, frames = 0;
    bool captured = false;
    video->application.Run([&](std::uint16_t key) { form->FormKeyDown(key); }, [&] {
        form->AppIdle();
        if (++frames < 75 + 90 || video->application.Closed()) return;  // the intro, then a second and a half
        captured = video->display.CaptureWindow(rgb, width, height);
        video->application.Close();
    });
    if (!captured) {
        std::fprintf(stderr, "reading the window back failed\n");
        return 1;
    }
    std::filesystem::create_directories(output.parent_path().empty() ? "." : output.parent_path());
    if (!platform::WritePng(output.string(), width, height, rgb.data())) {
        std::fprintf(stderr, "cannot write %s\n", output.c_str());
        return 1;
    }
    std::printf("window %d x %d, saved %s\n", width, height, output.c_str());

    // Player 1's full hit-point bar, found where the letterboxed picture puts it.
    const double scale = std::min(width / 800.0, height / 600.0);
    const int x = static_cast<int>((width - 800 * scale) / 2 + 300.5 * scale);
    const int y = static_cast<int>((height - 600 * scale) / 2 + 25.5 * scale);
    const std::uint8_t* bar = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    if (bar[2] < 200 || bar[0] > 60 || bar[1] > 60) {
        std::fprintf(stderr, "the hit-point bar reads (%d, %d, %d), not blue\n", bar[0], bar[1], bar[2]);
        return 1;
    }
    return 0;
}
