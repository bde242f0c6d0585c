// What the window is sent: a picture only when it changed or the window did,
// and only the rows that changed.
#include "VideoTestSupport.h"

#include "ShownPicture.h"

#include <SDL.h>

#include <cstdlib>
#include <vector>

namespace platform {
namespace {

TEST(ShownPictureTest, GivesTheBandOfChangedRowsAndNothingForTheSamePicture) {
    constexpr int kWidth = 8, kHeight = 6, kPitch = 40;  // rows padded, as surfaces may be
    std::vector<std::uint8_t> pixels(kPitch * kHeight, 0);
    auto set = [&](int x, int y, std::uint8_t value) { pixels[y * kPitch + x * 4 + 1] = value; };
    ShownPicture shown;
    auto update = [&] { return shown.Update(pixels.data(), kPitch, kWidth, kHeight); };

    ShownPicture::Rows rows = update();
    EXPECT_EQ(rows.top, 0);
    EXPECT_EQ(rows.bottom, kHeight) << "the first picture is all new";
    EXPECT_TRUE(update().Empty());

    pixels[3 * kPitch + kWidth * 4] = 9;  // the padding is not the picture
    EXPECT_TRUE(update().Empty());

    set(7, 1, 5);
    set(0, 4, 5);
    rows = update();
    EXPECT_EQ(rows.top, 1);
    EXPECT_EQ(rows.bottom, 5);
    EXPECT_TRUE(update().Empty());

    set(7, 1, 0);  // back as it was before: still a change
    rows = update();
    EXPECT_EQ(rows.top, 1);
    EXPECT_EQ(rows.bottom, 2);

    shown.Forget();
    rows = update();
    EXPECT_EQ(rows.top, 0);
    EXPECT_EQ(rows.bottom, kHeight);
}

TEST(SdlDisplayTest, KnowsTheRasterisersThatRunOnTheProcessor) {
    for (const char* name : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Mesa OffScreen swrast",
                             "Software Rasterizer"})
        EXPECT_TRUE(IsSoftwareRasteriser(name)) << name;
    for (const char* name : {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "AMD Radeon RX 580 (radeonsi, polaris10)",
                             "NVIDIA GeForce GTX 1060/PCIe/SSE2", ""})
        EXPECT_FALSE(IsSoftwareRasteriser(name)) << name;
    EXPECT_FALSE(IsSoftwareRasteriser(nullptr));
}

// The real display on SDL's dummy video driver.
TEST(SdlDisplayTest, PresentsOnlyAChangedPictureOrAfterAWindowEvent) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
    {
        SdlDisplay display;
        ASSERT_TRUE(SetUpDisplay(display)) << SDL_GetError();
        const BrushId black = display.CreateBrush(kBlack), red = display.CreateBrush(kRed);
        auto frame = [&](int redRight) {
            Canvas* canvas = display.TakeContext();
            ASSERT_NE(canvas, nullptr);
            canvas->FillRect(0, 0, 800, 600, black);  // the whole picture drawn again, as the game does
            canvas->FillRect(0, 100, redRight, 110, red);
            display.ReleaseContext();
            display.Flip(0);
        };

        frame(50);
        frame(50);
        frame(50);
        EXPECT_EQ(display.Presents(), 1);
        frame(60);
        EXPECT_EQ(display.Presents(), 2);

        SDL_Event exposed{};
        exposed.type = SDL_WINDOWEVENT;
        exposed.window.event = SDL_WINDOWEVENT_EXPOSED;
        ASSERT_EQ(SDL_PushEvent(&exposed), 1);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        frame(60);
        EXPECT_EQ(display.Presents(), 3) << "the same picture, sent again";
        frame(60);
        EXPECT_EQ(display.Presents(), 3);

        std::vector<std::uint8_t> rgb;
        int width = 0, height = 0;
        ASSERT_TRUE(display.CaptureWindow(rgb, width, height));
        const double scale = std::min(width / 800.0, height / 600.0);
        const int x = static_cast<int>((width - 800 * scale) / 2 + 55 * scale);
        const int y = static_cast<int>((height - 600 * scale) / 2 + 105 * scale);
        const std::uint8_t* shown = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
        EXPECT_GT(shown[0], 200) << "the last change reached the window";
        EXPECT_LT(shown[1], 60);
    }
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

}  // namespace
}  // namespace platform
