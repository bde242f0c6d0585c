// Sending a changed picture to the window, offscreen, at two desktop sizes:
// our own stretch into the window's surface as the game does it, and SDL's
// software renderer doing the same (a texture upload, a cleared window, a
// linear stretch, a present) for comparison.
#include "LinearStretch.h"
#include "PlayerBackends.h"
#include "SdlVideo.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using namespace platform;

void Sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h"})->Args({1024, 768})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);
}

// Every row changes each frame, as in a fight whose grid scrolls.
void BM_Show(benchmark::State& state) {
    SdlDisplay display;
    if (!(display.CreateDevice() && display.TakeFullScreen() && display.SetMode(800, 600, 8) &&
          display.CreateSurfaces() && display.AttachBackBuffer() &&
          display.SetWindowSize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))))) {
        return state.SkipWithError(SDL_GetError());
    }
    if (!display.Stretching()) return state.SkipWithError("not stretching into the window's surface");
    const BrushId black = display.CreateBrush({0, 0, 0}), green = display.CreateBrush({0, 120, 0});
    int frame = 0;
    for (auto _ : state) {
        Canvas* canvas = display.TakeContext();
        canvas->FillRect(frame % 2, 0, frame % 2 + 1, 600, black);
        canvas->FillRect(1 - frame % 2, 0, 2 - frame % 2, 600, green);
        display.ReleaseContext();
        benchmark::DoNotOptimize(display.Show());
        ++frame;
    }
}
BENCHMARK(BM_Show)->Apply(Sizes);

void BM_SdlSoftwareRenderer(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return state.SkipWithError(SDL_GetError());
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_Window* window = SDL_CreateWindow("present", 0, 0, w, h, SDL_WINDOW_BORDERLESS);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
    SDL_Texture* texture = renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_XRGB8888,
                                                        SDL_TEXTUREACCESS_STREAMING, 800, 600)
                                    : nullptr;
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 32, SDL_PIXELFORMAT_XRGB8888);
    if (texture && picture) {
        SDL_RenderSetLogicalSize(renderer, 800, 600);
        int frame = 0;
        for (auto _ : state) {
            static_cast<Uint32*>(picture->pixels)[0] = static_cast<Uint32>(frame++);
            SDL_UpdateTexture(texture, nullptr, picture->pixels, picture->pitch);
            SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
            SDL_RenderClear(renderer);
            SDL_RenderCopy(renderer, texture, nullptr, nullptr);
            SDL_RenderPresent(renderer);
        }
    } else {
        state.SkipWithError(SDL_GetError());
    }
    SDL_FreeSurface(picture);
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
BENCHMARK(BM_SdlSoftwareRenderer)->Apply(Sizes);

// Our stretch alone, the whole picture into the part of the window it fills
// (1024 x 768, or 1440 x 1080 of 1920 x 1080), on each path: 0 plain, 1 SSE2, 2 AVX2.
void BM_Stretch(benchmark::State& state) {
    const int w = static_cast<int>(state.range(1)), h = static_cast<int>(state.range(2));
    LinearStretch stretch;
    if (!stretch.Use(static_cast<LinearStretch::Path>(state.range(0))))
        return state.SkipWithError("not on this processor or in this build");
    std::vector<std::uint32_t> picture(800 * 600), window(static_cast<std::size_t>(w) * h);
    std::uint32_t seed = 1;
    for (auto& pixel : picture) pixel = (seed = seed * 1103515245 + 12345) >> 8;
    stretch.Prepare(800, 600, w, h);
    for (auto _ : state) {
        stretch.Run(picture.data(), 800 * 4, window.data(), w * 4, {0, h});
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Stretch)
    ->ArgNames({"path", "w", "h"})
    ->ArgsProduct({{0, 1, 2}, {1024}, {768}})
    ->ArgsProduct({{0, 1, 2}, {1440}, {1080}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);  // no display needed, nothing shown
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
