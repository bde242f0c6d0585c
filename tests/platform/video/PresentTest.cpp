// What the window is sent: a picture only when it changed or the window did,
// and only the rows that changed.
#include "VideoTestSupport.h"

#include "LinearStretch.h"
#include "ShownPicture.h"

#include <SDL.h>

#include <algorithm>
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

    // A send that fails leaves the picture to be sent whole with the next
    // one, and a changed window is sent whole again until it is reached.
    bool reaches = false, whole = false;
    auto send = [&] {
        std::pair<int, int> sent{0, 0};
        shown.Send(pixels.data(), kPitch, 8, 6, [&](ShownPicture::Rows rows, bool wholeWindow) {
            sent = {rows.top, rows.bottom};
            whole = wholeWindow;
            return reaches;
        });
        return sent;
    };
    pixels[2 * kPitch] = 7;
    EXPECT_EQ(send(), std::pair(2, 3));
    reaches = true;
    EXPECT_EQ(send(), std::pair(0, 6)) << "the failed rows again";
    EXPECT_EQ(send(), std::pair(0, 0));
    shown.WindowChanged();
    reaches = false;
    EXPECT_EQ(send(), std::pair(0, 6));
    reaches = true;
    EXPECT_EQ(send(), std::pair(0, 6));
    EXPECT_TRUE(whole);
    EXPECT_EQ(send(), std::pair(0, 0));
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
    SDL_Event reset{};
    reset.type = SDL_RENDER_TARGETS_RESET;
    ASSERT_EQ(SDL_PushEvent(&reset), 1);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    EXPECT_EQ(frame(60), 4) << "a reset render target gets the picture again";

    std::vector<std::uint8_t> rgb;
    int width = 0, height = 0;
    ASSERT_TRUE(display.CaptureWindow(rgb, width, height));
    const double scale = std::min(width / 800.0, height / 600.0);
    const auto x = static_cast<std::size_t>((width - 800 * scale) / 2 + 55 * scale);
    const auto y = static_cast<std::size_t>((height - 600 * scale) / 2 + 105 * scale);
    EXPECT_GT(rgb[(y * width + x) * 3], 200) << "the last change reached the window";
}

// The window's surface is written only where the picture changed: every
// changed row must still reach it, and a window made anew gets it all.
TEST(SdlDisplayTest, EveryChangedRowReachesTheWindowAndAWindowEventSendsItWhole) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SdlDisplay display;
    ASSERT_TRUE(SetUpDisplay(display)) << SDL_GetError();
    const BrushId black = display.CreateBrush(kBlack), blue = display.CreateBrush(kBlue),
                  green = display.CreateBrush(kGreen);
    auto frame = [&](std::initializer_list<int> rows, BrushId brush) {
        Canvas* canvas = display.TakeContext();
        canvas->FillRect(0, 0, 800, 600, black);
        for (int y : rows) canvas->FillRect(0, y, 800, y + 1, brush);
        display.ReleaseContext();
        display.Flip(0);
    };
    std::vector<std::uint8_t> rgb;
    int width = 0, height = 0;
    // The window's colour at the picture's point (x, y), the picture letterboxed.
    auto at = [&](double x, double y) {
        const double scale = std::min(width / 800.0, height / 600.0);
        const auto wx = static_cast<std::size_t>((width - 800 * scale) / 2 + x * scale);
        const auto wy = static_cast<std::size_t>((height - 600 * scale) / 2 + y * scale);
        const std::uint8_t* p = &rgb[(wy * width + wx) * 3];
        return Color{p[0], p[1], p[2]};
    };
    frame({0, 300, 599}, blue);
    frame({0, 300, 599}, green);  // the same rows, a new colour
    ASSERT_TRUE(display.CaptureWindow(rgb, width, height));
    for (double y : {0.0, 599.9}) EXPECT_EQ(at(400, y), kGreen) << y;
    EXPECT_GT(at(400, 300.5).g, 100);

    // A new window size: the surface is new, so the same picture is sent whole.
    ASSERT_TRUE(display.SetWindowSize(1280, 800));
    frame({0, 300, 599}, green);
    ASSERT_TRUE(display.CaptureWindow(rgb, width, height));
    ASSERT_EQ(std::pair(width, height), std::pair(1280, 800));
    for (double y : {0.0, 599.9}) EXPECT_EQ(at(400, y), kGreen) << y;
    EXPECT_EQ(at(400, 100), kBlack);
    EXPECT_EQ((Color{rgb[0], rgb[1], rgb[2]}), kBlack) << "the letterbox";
}

// Our own stretch against SDL's software renderer with linear filtering, on
// a picture of text, thin lines and noise, at the sizes players have.
TEST(LinearStretchTest, MatchesSdlsLinearStretchWithinTwoLevels) {
    HeadlessDisplay picture;
    ASSERT_TRUE(SetUpDisplay(picture));
    const BrushId black = picture.CreateBrush(kBlack);
    const PenId green = picture.CreatePen(1, {0, 120, 0});
    Canvas* canvas = picture.TakeContext();
    canvas->FillRect(0, 0, 800, 600, black);
    canvas->SelectPen(green);
    for (int x = 0; x < 800; x += 37) {
        canvas->MoveTo(x, 0);
        canvas->LineTo(799 - x, 599);
    }
    canvas->SetTextTransparent();
    canvas->SetTextColor(kWhite);
    for (int y = 0; y < 600; y += 40) canvas->TextOut(y, y, "Ammo1:100 Vazede type Varerav");
    picture.ReleaseContext();
    SDL_Surface* source = picture.Picture().Surface();
    std::uint32_t seed = 1;
    for (int y = 500; y < 600; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(source->pixels) + y * source->pitch);
        for (int x = 0; x < 800; ++x) row[x] = (seed = seed * 1103515245 + 12345) >> 8;
    }

    for (auto [w, h] : {std::pair{1024, 768}, {1440, 1080}, {1280, 960}}) {
        SDL_Surface* sdl = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_XRGB8888);
        SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(sdl);
        SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, source);
        ASSERT_TRUE(texture) << SDL_GetError();
        SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderFlush(renderer);

        std::vector<std::uint32_t> ours(static_cast<std::size_t>(w) * h);
        LinearStretch stretch;
        ASSERT_TRUE(stretch.Prepare(800, 600, w, h));
        stretch.Run(source->pixels, source->pitch, ours.data(), w * 4, {0, h});
        int most = 0;
        double sum = 0;
        for (int y = 0; y < h; ++y) {
            const auto* theirs = reinterpret_cast<const std::uint32_t*>(static_cast<std::uint8_t*>(sdl->pixels) + y * sdl->pitch);
            for (int x = 0; x < w; ++x)
                for (int shift : {0, 8, 16}) {
                    const int d = std::abs(int(theirs[x] >> shift & 255) - int(ours[std::size_t(y) * w + x] >> shift & 255));
                    most = std::max(most, d);
                    sum += d;
                }
        }
        EXPECT_LE(most, 2) << w << " x " << h;
        EXPECT_LT(sum / (3.0 * w * h), 0.2) << w << " x " << h;
        SDL_DestroyTexture(texture);
        SDL_DestroyRenderer(renderer);
        SDL_FreeSurface(sdl);
    }
}

}  // namespace
}  // namespace platform
