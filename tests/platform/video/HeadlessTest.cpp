#include "VideoTestSupport.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace platform {
namespace {

TEST(HeadlessDisplayTest, RefusedStepFailsAndSoDoEveryLaterStep) {
    HeadlessDisplay display;
    display.Refuse(DisplayStep::SetMode);
    EXPECT_TRUE(display.CreateDevice());
    EXPECT_TRUE(display.TakeFullScreen());
    EXPECT_FALSE(display.SetMode(800, 600, 8));
    EXPECT_FALSE(display.CreateSurfaces());
    EXPECT_FALSE(display.AttachBackBuffer());
    EXPECT_EQ(display.TakeContext(), nullptr);
    display.ReleaseDevice();
    EXPECT_EQ(display.Calls().back(), "ReleaseDevice");
    EXPECT_EQ(display.Calls().size(), 6u);

    HeadlessDisplay released;
    ASSERT_TRUE(SetUpDisplay(released));
    released.ReleaseBackBuffer();
    EXPECT_EQ(released.TakeContext(), nullptr);
}

TEST(HeadlessDisplayTest, ContextFailsOnlyOnTheChosenFrame) {
    HeadlessDisplay display;
    ASSERT_TRUE(SetUpDisplay(display));
    display.FailContextOnFrame(1);
    for (bool expected : {true, false, true}) {
        Canvas* canvas = display.TakeContext();
        EXPECT_EQ(canvas != nullptr, expected);
        if (canvas) display.ReleaseContext();
        display.Flip(0);
    }
    EXPECT_EQ(display.Frames(), 3);
    EXPECT_EQ(display.ContextsGiven(), 2);
    EXPECT_EQ(display.ContextsReleased(), 2);
    EXPECT_EQ(display.Flips(), 3);
}

TEST_F(CanvasTest, SelectionsAndTextRecordsHoldForTheFrameAndResetAtTheNextContext) {
    canvas->SelectPen(red6);
    canvas->SelectBrush(green);
    canvas->SetTextTransparent();
    canvas->SetTextColor(kRed);
    canvas->TextOut(720, 25, "Ammo1:LAZER");
    canvas->TextOut(0, 40, "Ammo2:3");
    canvas->Ellipse(100, 100, 200, 200);
    canvas->Rectangle(300, 100, 400, 200);
    EXPECT_EQ(display.Pixel(150, 150), kGreen);
    EXPECT_EQ(display.Pixel(350, 150), kGreen);
    EXPECT_EQ(display.Pixel(300, 150), kRed);
    ASSERT_EQ(display.Texts().size(), 2u);
    EXPECT_EQ(display.Texts()[0].text, "Ammo1:LAZER");
    EXPECT_EQ(display.Texts()[0].x, 720);
    EXPECT_EQ(display.Texts()[0].y, 25);
    EXPECT_EQ(display.Texts()[0].color, kRed);
    EXPECT_TRUE(display.Texts()[0].transparent);
    display.ReleaseContext();
    display.Flip(0);

    canvas = display.TakeContext();
    ASSERT_NE(canvas, nullptr);
    canvas->FillRect(0, 0, 800, 600, blue);
    canvas->Ellipse(100, 100, 200, 200);
    canvas->TextOut(500, 500, "x");
    EXPECT_EQ(display.Pixel(150, 150), kWhite);
    EXPECT_EQ(display.Pixel(99, 150), kBlue);
    EXPECT_EQ(display.Pixel(100, 150), kBlack);  // the default pen: black, one pixel wide
    EXPECT_EQ(display.Pixel(101, 150), kWhite);
    ASSERT_EQ(display.Texts().size(), 1u);  // this frame's only
    EXPECT_FALSE(display.Texts()[0].transparent);
    EXPECT_EQ(display.Texts()[0].color, kBlack);
}

// Reads back a PNG of stored deflate blocks, checking every checksum.
std::vector<std::uint8_t> ReadStoredPng(const std::string& path, std::uint32_t& width, std::uint32_t& height) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<std::uint8_t> png((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto be32 = [](const std::uint8_t* p) { return std::uint32_t{p[0]} << 24 | p[1] << 16 | p[2] << 8 | p[3]; };
    std::vector<std::uint8_t> z, raw;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t n = be32(&png[at]);
        std::uint32_t crc = 0xFFFFFFFF;  // bit by bit, unlike the encoder's table
        for (std::size_t i = at + 4; i < at + 8 + n; ++i) {
            crc ^= png[i];
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
        }
        EXPECT_EQ(~crc, be32(&png[at + 8 + n]));
        const std::string type(png.begin() + at + 4, png.begin() + at + 8);
        if (type == "IHDR") width = be32(&png[at + 8]), height = be32(&png[at + 12]);
        if (type == "IDAT") z.insert(z.end(), png.begin() + at + 8, png.begin() + at + 8 + n);
        at += 12 + n;
    }
    for (std::size_t at = 2, last = 0; !last && at + 5 <= z.size(); at += 5 + (z[at + 1] | z[at + 2] << 8)) {
        last = z[at] & 1;
        raw.insert(raw.end(), z.begin() + at + 5, z.begin() + at + 5 + (z[at + 1] | z[at + 2] << 8));
    }
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
    EXPECT_TRUE(z.size() >= 4 && be32(&z[z.size() - 4]) == (b << 16 | a));
    return raw;
}

TEST_F(CanvasTest, SavedPngHoldsThePicture) {
    canvas->FillRect(10, 0, 11, 1, green);
    canvas->FillRect(799, 599, 800, 600, blue);
    const std::string path = testing::TempDir() + "picture.png";
    ASSERT_TRUE(display.SavePng(path));
    std::uint32_t width = 0, height = 0;
    const std::vector<std::uint8_t> raw = ReadStoredPng(path, width, height);
    std::remove(path.c_str());
    ASSERT_EQ(width, 800u);
    ASSERT_EQ(height, 600u);
    ASSERT_EQ(raw.size(), 600u * (1 + 800 * 3));
    const std::size_t row = 1 + 800 * 3;
    EXPECT_EQ(raw[0], 0);  // no filter
    EXPECT_EQ(raw[1 + 10 * 3 + 1], 255);
    EXPECT_EQ(raw[1 + 10 * 3 + 0], 0);
    EXPECT_EQ(raw[599 * row + 1 + 799 * 3 + 2], 255);
}

// ---- the application loop ----

TEST(HeadlessApplicationTest, DueKeysAreDispatchedBeforeEachIdleCall) {
    HeadlessApplication app;
    app.QueueKey('A');
    app.QueueKey('B');
    app.QueueKey('C', 2);
    app.SetFrameBudget(4);
    std::string order;
    app.Run([&](std::uint16_t key) { order += static_cast<char>(key); },
            [&] { order += std::to_string(app.Frames() - 1); });
    EXPECT_EQ(order, "AB01C23");
    EXPECT_FALSE(app.Closed());
}

TEST(HeadlessApplicationTest, CloseFromIdleEndsTheLoopAfterThatCall) {
    HeadlessApplication app;
    app.QueueKey('A', 2);
    int keys = 0;
    app.Run([&](std::uint16_t) { ++keys; }, [&] {
        if (app.Frames() == 2) app.Close();
    });
    EXPECT_EQ(app.Frames(), 2);
    EXPECT_EQ(keys, 0);
    EXPECT_TRUE(app.Closed());
}

TEST(HeadlessApplicationTest, CloseFromAKeyHandlerSkipsTheRestOfTheStep) {
    HeadlessApplication app;
    app.QueueKey(VkEscape);
    app.QueueKey('A');
    std::string order;
    app.Run([&](std::uint16_t key) {
        order += key == VkEscape ? "esc" : "A";
        if (key == VkEscape) app.Close();
    }, [&] { order += "idle"; });
    EXPECT_EQ(order, "esc");
}

TEST(HeadlessApplicationTest, CloseHandlerRunsOnceWhateverClosesAgain) {
    HeadlessApplication app;
    int runs = 0;
    app.SetCloseHandler([&] {
        ++runs;
        app.Close();
    });
    app.Close();
    app.Close();
    int idles = 0;
    app.Run(nullptr, [&] { ++idles; });  // already closed: no step at all
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(app.CloseHandlerRuns(), 1);
    EXPECT_EQ(idles, 0);
}

// ---- input ----

TEST(HeadlessInputTest, KeyboardAndJoysticksReadWhatTheTestSets) {
    HeadlessKeyboard keyboard;
    keyboard.SetKey(VkNumpad4, true);
    std::uint8_t keys[256];
    keyboard.ReadState(keys);
    EXPECT_EQ(keys[VkNumpad4], kKeyDown);
    EXPECT_EQ(keys[int{'W'}], 0);

    HeadlessJoysticks joysticks;
    JoystickPosition position{};
    JoystickCaps caps{};
    EXPECT_FALSE(joysticks.ReadPosition(0, position));
    EXPECT_FALSE(joysticks.ReadCaps(1, caps));
    joysticks.Connect(1);
    ASSERT_TRUE(joysticks.ReadCaps(1, caps));
    ASSERT_TRUE(joysticks.ReadPosition(1, position));
    EXPECT_EQ(position.x, (caps.xMin + caps.xMax) / 2 + 1);  // at rest on the game's centre
    joysticks.SetPosition(1, JoystickPosition{0, 65535, 0xC0});
    ASSERT_TRUE(joysticks.ReadPosition(1, position));
    EXPECT_EQ(position.buttons, 0xC0u);
    EXPECT_FALSE(joysticks.ReadPosition(0, position));
    EXPECT_FALSE(joysticks.ReadPosition(2, position));
}

}  // namespace
}  // namespace platform
