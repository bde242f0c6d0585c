// Shared by the video tests: a display set up and drawing, and pixel counts.
#pragma once

#include "HeadlessBackends.h"
#include "SdlVideo.h"

#include <gtest/gtest.h>

#include <ostream>

namespace platform {

inline void PrintTo(Color c, std::ostream* out) { *out << "(" << +c.r << ", " << +c.g << ", " << +c.b << ")"; }

inline constexpr Color kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0},
    kBlue{0, 0, 255};

inline bool SetUpDisplay(Display& display) {
    return display.CreateDevice() && display.TakeFullScreen() && display.SetMode(800, 600, 8) &&
           display.CreateSurfaces() && display.AttachBackBuffer();
}

// A frame being drawn on a black picture, with a few pens and brushes.
class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SetUpDisplay(display));
        canvas = display.TakeContext();
        ASSERT_NE(canvas, nullptr);
        canvas->FillRect(0, 0, 800, 600, black);
    }

    int CountRow(int y, Color c, int from = 0, int to = 800) {
        int n = 0;
        for (int x = from; x < to; ++x) n += display.Pixel(x, y) == c;
        return n;
    }
    int CountColumn(int x, Color c, int from = 0, int to = 600) {
        int n = 0;
        for (int y = from; y < to; ++y) n += display.Pixel(x, y) == c;
        return n;
    }

    HeadlessDisplay display;
    Canvas* canvas = nullptr;
    BrushId black = display.CreateBrush(kBlack);
    BrushId green = display.CreateBrush(kGreen);
    BrushId blue = display.CreateBrush(kBlue);
    PenId red1 = display.CreatePen(1, kRed);
    PenId red6 = display.CreatePen(6, kRed);
    PenId red15 = display.CreatePen(15, kRed);
};

}  // namespace platform
