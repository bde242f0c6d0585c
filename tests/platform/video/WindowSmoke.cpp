// Opens the real window, draws a fight-like picture for a few frames, reads
// back what the window shows and saves it as a PNG: window.png <output path>.
#include "PngWriter.h"
#include "HeadlessBackends.h"
#include "PlayerBackends.h"
#include "SdlVideo.h"

#include <SDL.h>

#include <cstdio>
#include <filesystem>
#include <string>

using namespace platform;

namespace {

struct Paint {
    BrushId black, blue, red, green, magenta;
    PenId p1Robot, p2Robot, p1Beam, p2Beam, p1Arrow, grid;
};

void DrawFight(Canvas& dc, const Paint& p) {
    dc.SelectBrush(p.black);
    dc.FillRect(0, 0, 800, 600, p.black);
    dc.SelectPen(p.grid);
    for (int x = -100; x <= 900; x += 200) {
        dc.MoveTo(x, -100);
        dc.LineTo(x, 700);
    }
    for (int y = -100; y <= 700; y += 200) {
        dc.MoveTo(-100, y);
        dc.LineTo(900, y);
    }
    dc.SetTextTransparent();
    dc.SetTextColor({255, 255, 255});
    dc.TextOut(300, 280, "It's Show Time!");
    dc.SetTextColor({0, 0, 255});
    dc.TextOut(0, 25, "Ammo1:120");
    dc.TextOut(0, 40, "Ammo2:LAZER");
    dc.TextOut(80, 50, "Vo-Do");
    dc.SetTextColor({255, 0, 0});
    dc.TextOut(720, 25, "Ammo1:---");
    dc.TextOut(420, 50, "VuruRovavu");
    dc.FillRect(80, 20, 380, 30, p.blue);
    dc.FillRect(420, 20, 620, 30, p.red);
    dc.FillRect(180, 35, 380, 45, p.green);
    dc.FillRect(420, 35, 719, 45, p.magenta);

    dc.SelectPen(p.p1Beam);  // a beam, then shots outlined with its pen
    dc.MoveTo(150, 400);
    dc.LineTo(450, 330);
    dc.SelectBrush(p.green);
    dc.Ellipse(470, 310, 500, 340);
    dc.SelectPen(p.grid);
    for (int i = 0; i < 6; ++i) dc.Ellipse(200 + i * 40, 150, 220 + i * 40, 170);
    dc.SelectBrush(p.magenta);
    for (int i = 0; i < 3; ++i) dc.Ellipse(600 + i * 30 - 10, 450 - 10, 600 + i * 30 + 10, 450 + 10);
    dc.SelectPen(p.p2Beam);
    dc.MoveTo(650, 200);
    dc.LineTo(650, 100);

    dc.SelectPen(p.p1Robot);  // a wireframe arrow facing right
    dc.MoveTo(140, 400);
    dc.LineTo(100, 400);
    dc.MoveTo(140, 400);
    dc.LineTo(100, 370);
    dc.MoveTo(140, 400);
    dc.LineTo(100, 430);
    dc.SelectPen(p.p2Robot);
    dc.MoveTo(700, 470);
    dc.LineTo(700, 530);
    dc.MoveTo(700, 470);
    dc.LineTo(670, 500);
    dc.MoveTo(700, 470);
    dc.LineTo(730, 500);
    dc.SelectPen(p.p1Arrow);
    dc.SelectBrush(p.black);
    dc.Rectangle(40, 480, 240, 520);

    dc.SelectPen(p.grid);  // the picture's own edge, to show where the letterbox begins
    dc.SelectBrush(0);
    dc.Rectangle(0, 0, 800, 600);

    dc.SetTextColor({255, 255, 255});
    dc.TextOut(60, 560, "DLL読み込みに支障が見られました。もう一度スタート画面に戻ります。");
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path output = argc > 1 ? argv[1] : "window.png";
    auto video = MakeSdlVideo();
    SdlDisplay& display = video->display;
    if (!(display.CreateDevice() && display.TakeFullScreen() && display.SetMode(800, 600, 8) &&
          display.CreateSurfaces() && display.AttachBackBuffer())) {
        std::fprintf(stderr, "display set-up failed: %s\n", SDL_GetError());
        return 1;
    }
    display.HideCursor();
    const Paint paint{display.CreateBrush({0, 0, 0}),      display.CreateBrush({0, 0, 255}),
                      display.CreateBrush({255, 0, 0}),    display.CreateBrush({0, 255, 0}),
                      display.CreateBrush({255, 0, 255}),  display.CreatePen(6, {0, 0, 255}),
                      display.CreatePen(6, {255, 0, 0}),   display.CreatePen(15, {0, 255, 0}),
                      display.CreatePen(15, {255, 0, 255}), display.CreatePen(1, {0, 0, 255}),
                      display.CreatePen(1, {0, 120, 0})};

    int frames = 0;
    video->application.Run([](std::uint16_t) {}, [&] {
        if (Canvas* dc = display.TakeContext()) {
            DrawFight(*dc, paint);
            display.ReleaseContext();
        }
        display.Flip(0);
        if (++frames == 10) video->application.Close();
    });

    std::vector<std::uint8_t> rgb;
    int width = 0, height = 0;
    if (!display.CaptureWindow(rgb, width, height)) {
        std::fprintf(stderr, "reading the window back failed: %s\n", SDL_GetError());
        return 1;
    }
    std::filesystem::create_directories(output.parent_path().empty() ? "." : output.parent_path());
    if (!WritePng(output.string(), width, height, rgb.data())) {
        std::fprintf(stderr, "cannot write %s\n", output.c_str());
        return 1;
    }

    // Player 1's hit-point bar, found where the letterboxed picture puts it.
    const double scale = std::min(width / 800.0, height / 600.0);
    const int x = static_cast<int>((width - 800 * scale) / 2 + 300.5 * scale);
    const int y = static_cast<int>((height - 600 * scale) / 2 + 25.5 * scale);
    const std::uint8_t* bar = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    std::printf("window %d x %d, picture scaled %.3f, saved %s\n", width, height, scale, output.c_str());
    display.RestoreCursor();
    for (int pen = 1; pen <= 11; ++pen) display.DeletePen(pen);
    display.ReleaseDevice();
    if (bar[2] < 200 || bar[0] > 60 || bar[1] > 60) {
        std::fprintf(stderr, "the hit-point bar reads (%d, %d, %d), not blue\n", bar[0], bar[1], bar[2]);
        return 1;
    }
    return 0;
}
