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
    constexpr int kPitch = 40;  // 8 pixels a row and padding, 6 rows
    std::vector<std::uint8_t> pixels(kPitch * 6, 0);
    ShownPicture shown;
    auto band = [&] {
        const ShownPicture::Rows rows = shown.Update(pixels.data(), kPitch, 8, 6);
        return std::pair{rows.top, rows.bottom};
    };
    EXPECT_EQ(band(), std::pair(0, 6)) << "the first picture is all new";
    pixels[3 * kPitch + 33] = 9;  // padding, not picture
    EXPECT_EQ(band(), std::pair(0, 0));
    pixels[1 * kPitch + 29] = pixels[4 * kPitch] = 5;
    EXPECT_EQ(band(), std::pair(1, 5));
    pixels[1 * kPitch + 29] = 0;
    EXPECT_EQ(band(), std::pair(1, 2));
    shown.Forget();
    EXPECT_EQ(band(), std::pair(0, 6));
}

TEST(SdlDisplayTest, PresentsOnlyAChangedPictureOrAfterAWindowEvent) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SdlDisplay display;
    ASSERT_TRUE(SetUpDisplay(display)) << SDL_GetError();
    const BrushId black = display.CreateBrush(kBlack), red = display.CreateBrush(kRed);
    // The whole picture drawn each frame, as the game does, with a red bar `length` long.
    auto frame = [&](int length) {
        Canvas* canvas = display.TakeContext();
        canvas->FillRect(0, 0, 800, 600, black);
        canvas->FillRect(0, 100, length, 110, red);
        display.ReleaseContext();
        display.Flip(0);
        return display.Presents();
    };
    EXPECT_EQ(frame(50) + frame(50) + frame(50), 3);
    EXPECT_EQ(frame(60), 2);

    SDL_Event exposed{};
    exposed.type = SDL_WINDOWEVENT;
    exposed.window.event = SDL_WINDOWEVENT_EXPOSED;
    ASSERT_EQ(SDL_PushEvent(&exposed), 1);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);  // seen as it is pushed
    EXPECT_EQ(frame(60), 3) << "the same picture, sent again";
    EXPECT_EQ(frame(60), 3);

    std::vector<std::uint8_t> rgb;
    int width = 0, height = 0;
    ASSERT_TRUE(display.CaptureWindow(rgb, width, height));
    const double scale = std::min(width / 800.0, height / 600.0);
    const auto x = static_cast<std::size_t>((width - 800 * scale) / 2 + 55 * scale);
    const auto y = static_cast<std::size_t>((height - 600 * scale) / 2 + 105 * scale);
    EXPECT_GT(rgb[(y * width + x) * 3], 200) << "the last change reached the window";
}

}  // namespace
}  // namespace platform
