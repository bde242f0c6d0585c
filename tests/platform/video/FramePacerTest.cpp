// The frame clock against simulated displays: whatever the refresh rate, and
// whether or not the present waits for it, the game gets 60 frames a second.
#include "FramePacer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace {

// Frames the game runs in `seconds` of simulated time: each frame works for
// `workMs`, presents (waiting for the display's next refresh when it has
// vsync), then waits as the pacer says.
int FramesIn(double seconds, double refreshHz, bool vsync, double workMs = 3) {
    platform::FramePacer pacer;
    double now = 0;
    int frames = 0;
    while (now < seconds * 1000) {
        now += workMs;
        if (vsync) now = std::ceil(now / (1000 / refreshHz)) * (1000 / refreshHz);
        now += pacer.DelayMs(now);
        ++frames;
    }
    return frames;
}

class DisplayRate : public ::testing::TestWithParam<std::tuple<double, bool>> {};

}  // namespace

TEST_P(DisplayRate, GivesSixtyGameFramesASecond) {
    const auto [hz, vsync] = GetParam();
    EXPECT_NEAR(FramesIn(10, hz, vsync), 600, 1);
}

INSTANTIATE_TEST_SUITE_P(Displays, DisplayRate,
                         ::testing::Combine(::testing::Values(60.0, 75.0, 120.0, 144.0), ::testing::Bool()));

TEST(FramePacer, ALateFrameShowsAtOnceAndMissedTicksAreNotCaughtUp) {
    platform::FramePacer pacer;
    EXPECT_EQ(pacer.DelayMs(0), 0);
    EXPECT_NEAR(pacer.DelayMs(5), platform::FramePacer::kPeriodMs - 5, 1e-9);
    EXPECT_EQ(pacer.DelayMs(110), 0) << "a stall of four frames and more";
    // The next frame waits for the following tick, on the old beat: no burst of frames.
    EXPECT_NEAR(pacer.DelayMs(110), 7 * platform::FramePacer::kPeriodMs - 110, 1e-9);
    EXPECT_NEAR(pacer.DelayMs(7 * platform::FramePacer::kPeriodMs), platform::FramePacer::kPeriodMs, 1e-9);
}
