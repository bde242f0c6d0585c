// What the window is sent: a picture only when it changed or the window did,
// and only the rows that changed.
#include "VideoTestSupport.h"

#include "GlProbe.h"
#include "LinearStretch.h"
#include "ShownPicture.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
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

// What the window shows, read back, at points of the letterboxed picture.
struct WindowShot {
    std::vector<std::uint8_t> rgb;
    int width = 0, height = 0;

    bool Take(SdlDisplay& display) { return display.CaptureWindow(rgb, width, height); }
    Color At(double x, double y) const {
        const double scale = std::min(width / 800.0, height / 600.0);
        const auto wx = static_cast<std::size_t>((width - 800 * scale) / 2 + x * scale);
        const auto wy = static_cast<std::size_t>((height - 600 * scale) / 2 + y * scale);
        const std::uint8_t* p = &rgb[(wy * width + wx) * 3];
        return Color{p[0], p[1], p[2]};
    }
    bool SameRow(const WindowShot& other, int y) const {
        const auto row = rgb.begin() + long(y) * width * 3;
        return std::equal(row, row + width * 3, other.rgb.begin() + long(y) * width * 3);
    }
};

// A black picture with single rows of `brush`, drawn whole as the game does, then flipped.
void FrameWithRows(SdlDisplay& display, BrushId black, std::initializer_list<int> rows, BrushId brush) {
    Canvas* canvas = display.TakeContext();
    canvas->FillRect(0, 0, 800, 600, black);
    for (int y : rows) canvas->FillRect(0, y, 800, y + 1, brush);
    display.ReleaseContext();
    display.Flip(0);
}

// The window's surface is written only where the picture changed: every
// changed row must still reach it, and a window made anew gets it all.
TEST(SdlDisplayTest, EveryChangedRowReachesTheWindowAndAWindowEventSendsItWhole) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SdlDisplay display;
    ASSERT_TRUE(SetUpDisplay(display)) << SDL_GetError();
    ASSERT_TRUE(display.Stretching());
    const BrushId black = display.CreateBrush(kBlack), blue = display.CreateBrush(kBlue),
                  green = display.CreateBrush(kGreen);
    WindowShot before, shot;
    FrameWithRows(display, black, {0, 300, 599}, blue);
    ASSERT_TRUE(before.Take(display));
    std::vector<std::pair<int, int>> sent;
    display.WatchSends([&](int top, int bottom) {
        sent.emplace_back(top, bottom);
        return true;
    });
    FrameWithRows(display, black, {0, 300, 599}, green);  // the same rows, a new colour
    ASSERT_TRUE(shot.Take(display));
    for (double y : {0.0, 599.9}) EXPECT_EQ(shot.At(400, y), kGreen) << y;
    EXPECT_GT(shot.At(400, 300.5).g, 100);
    // Written is not shown: every window row that changed went to the window.
    for (int y = 0; y < shot.height; ++y) {
        if (shot.SameRow(before, y)) continue;
        EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [y](auto rows) { return rows.first <= y && y < rows.second; }))
            << "window row " << y << " changed but was not sent";
    }
    display.WatchSends(nullptr);

    // A new window size: the surface is new, so the same picture is sent whole.
    ASSERT_TRUE(display.SetWindowSize(1280, 800));
    FrameWithRows(display, black, {0, 300, 599}, green);
    ASSERT_TRUE(shot.Take(display));
    ASSERT_EQ(std::pair(shot.width, shot.height), std::pair(1280, 800));
    for (double y : {0.0, 599.9}) EXPECT_EQ(shot.At(400, y), kGreen) << y;
    EXPECT_EQ(shot.At(400, 100), kBlack);
    EXPECT_EQ((Color{shot.rgb[0], shot.rgb[1], shot.rgb[2]}), kBlack) << "the letterbox";
}

// The texture path, on whichever renderer the display made: every row of a
// changed band reaches the window, and an upload that failed is made again
// with the next frame though the picture stayed the same.
void ExpectTheTexturePathShowsEveryChange(SdlDisplay& display) {
    ASSERT_FALSE(display.Stretching());
    const BrushId black = display.CreateBrush(kBlack), blue = display.CreateBrush(kBlue),
                  green = display.CreateBrush(kGreen), red = display.CreateBrush(kRed);
    WindowShot shot;
    FrameWithRows(display, black, {0, 300, 599}, blue);
    FrameWithRows(display, black, {0, 300, 599}, green);
    ASSERT_TRUE(shot.Take(display));
    for (double y : {0.2, 300.5, 599.8}) EXPECT_GT(shot.At(400, y).g, 100) << y;

    bool fails = true;
    display.WatchSends([&](int, int) { return !std::exchange(fails, false); });
    FrameWithRows(display, black, {0, 300, 599}, red);
    FrameWithRows(display, black, {0, 300, 599}, red);
    display.WatchSends(nullptr);
    ASSERT_FALSE(fails);
    ASSERT_TRUE(shot.Take(display));
    for (double y : {0.2, 300.5, 599.8}) EXPECT_GT(shot.At(400, y).r, 100) << y;
}

TEST(SdlDisplayTest, TheTexturePathShowsEveryChangedRowAndSendsAFailedUploadAgain) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SdlDisplay display;
    display.TakeTexturePath();
    ASSERT_TRUE(SetUpDisplay(display)) << SDL_GetError();
    ExpectTheTexturePathShowsEveryChange(display);
}

// The path a real GPU takes, on whatever GL the display has (run under a
// virtual X server by its own test; skipped where there is no GL window).
TEST(GlPresentTest, TheGlPathShowsEveryChangedRowAndSendsAFailedUploadAgain) {
    if (!getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY")) GTEST_SKIP() << "no display to make a GL window on";
    SdlDisplay display;
    display.TakeTexturePath();
    ASSERT_TRUE(SetUpDisplay(display)) << SDL_GetError();
    if (!display.OnGl()) GTEST_SKIP() << "no GL window on this video driver";
    ExpectTheTexturePathShowsEveryChange(display);
}

// The probe's verdict: a server offering any direct rendering has a GPU
// behind it; one offering none leaves GL to the processor; one that cannot
// be asked is not judged, unless Mesa was told to rasterise in software.
TEST(GlProbeTest, JudgesDirectIndirectAndUnknownServers) {
    auto offering = [](std::vector<std::string> names) {
        return [names](const char* extension) { return std::find(names.begin(), names.end(), extension) != names.end(); };
    };
    EXPECT_TRUE(RendersIndirectly(offering({})));
    EXPECT_TRUE(RendersIndirectly(offering({"GLX", "MIT-SHM", "RANDR"})));
    for (const char* direct : {"DRI3", "DRI2", "NV-GLX"}) {
        EXPECT_FALSE(RendersIndirectly(offering({direct}))) << direct;
        EXPECT_FALSE(RendersIndirectly(offering({"GLX", direct, "MIT-SHM"}))) << direct;
    }

    const auto kept = [](const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    const auto display = kept("DISPLAY"), software = kept("LIBGL_ALWAYS_SOFTWARE"), gallium = kept("GALLIUM_DRIVER");
    setenv("DISPLAY", ":65531", 1);  // no server there
    unsetenv("LIBGL_ALWAYS_SOFTWARE");
    unsetenv("GALLIUM_DRIVER");
    EXPECT_FALSE(GlRunsOnProcessor("x11")) << "no server to ask";
    EXPECT_FALSE(GlRunsOnProcessor("wayland"));
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    EXPECT_TRUE(GlRunsOnProcessor("x11"));
    setenv("LIBGL_ALWAYS_SOFTWARE", "0", 1);
    setenv("GALLIUM_DRIVER", "llvmpipe", 1);
    EXPECT_TRUE(GlRunsOnProcessor("wayland"));
    for (auto [name, value] : {std::pair{"DISPLAY", &display}, {"LIBGL_ALWAYS_SOFTWARE", &software}, {"GALLIUM_DRIVER", &gallium}})
        *value ? setenv(name, (*value)->c_str(), 1) : unsetenv(name);
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
