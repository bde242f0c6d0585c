// One busy fight frame on the memory picture: clear, grid, 100 shots, 20
// texts, 4 bars, two robots and two beams.
#include "HeadlessBackends.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace platform;

void BM_FightFrame(benchmark::State& state) {
    HeadlessDisplay display;
    if (!(display.CreateDevice() && display.TakeFullScreen() && display.SetMode(800, 600, 8) &&
          display.CreateSurfaces() && display.AttachBackBuffer())) {
        state.SkipWithError("display set-up failed");
        return;
    }
    const BrushId black = display.CreateBrush({0, 0, 0}), blue = display.CreateBrush({0, 0, 255}),
                  red = display.CreateBrush({255, 0, 0}), green = display.CreateBrush({0, 255, 0}),
                  magenta = display.CreateBrush({255, 0, 255});
    const PenId grid = display.CreatePen(1, {0, 120, 0}), p1 = display.CreatePen(6, {0, 0, 255}),
                p2 = display.CreatePen(6, {255, 0, 0}), beam1 = display.CreatePen(15, {0, 255, 0}),
                beam2 = display.CreatePen(15, {255, 0, 255});
    std::vector<std::string> texts;
    for (int i = 0; i < 18; ++i) texts.push_back("Ammo" + std::to_string(i % 4 + 1) + ":" + std::to_string(100 + i));
    texts.push_back("Vazede type Varerav");
    texts.push_back("It's Show Time!");

    int frame = 0;
    for (auto _ : state) {
        Canvas& dc = *display.TakeContext();
        dc.SelectBrush(black);
        dc.FillRect(0, 0, 800, 600, black);
        const int shift = frame % 200;
        for (int i = 0; i < 5; ++i) {
            for (int j = 0; j < 4; ++j) {
                const int x = i * 200 - 100 - shift, y = j * 200 - 100 - shift;
                dc.SelectPen(grid);
                dc.MoveTo(x, y);
                dc.LineTo(x, y + 200);
                dc.MoveTo(x, y);
                dc.LineTo(x + 200, y);
            }
        }
        dc.SetTextTransparent();
        for (std::size_t i = 0; i < texts.size(); ++i) {
            dc.SetTextColor(i % 2 ? Color{255, 0, 0} : Color{0, 0, 255});
            dc.TextOut(i % 2 ? 720 : 0, static_cast<int>(25 + 15 * (i / 2 % 4)), texts[i].c_str());
        }
        dc.FillRect(80, 20, 380, 30, blue);
        dc.FillRect(420, 20, 700, 30, red);
        dc.FillRect(200, 35, 380, 45, green);
        dc.FillRect(420, 35, 600, 45, magenta);
        dc.SelectPen(beam1);
        dc.MoveTo(200, 300);
        dc.LineTo(500, 250);
        dc.SelectPen(beam2);
        dc.MoveTo(600, 400);
        dc.LineTo(300, 450);
        for (int k = 0; k < 100; ++k) {  // trails and shots, 8 to 36 pixels across
            dc.SelectBrush(k < 50 ? green : magenta);
            const int x = (k * 97 + frame) % 800, y = (k * 61) % 600, r = 4 + k % 15;
            dc.Ellipse(x - r, y - r, x + r, y + r);
        }
        for (auto [pen, x, y] : {std::tuple{p1, 150, 200}, std::tuple{p2, 650, 400}}) {
            dc.SelectPen(pen);
            for (auto [dx, dy] : {std::pair{0, 40}, std::pair{30, -20}, std::pair{-30, -20}}) {
                dc.MoveTo(x, y - 40);
                dc.LineTo(x + dx, y + dy);
            }
        }
        display.ReleaseContext();
        display.Flip(0);
        ++frame;
    }
}
BENCHMARK(BM_FightFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
