// The frame clock against simulated displays and loads: whatever the refresh
// rate, and however late single frames come, the game gets 60 logic steps a
// second; its own pause slows it as it always did.
#include "FramePacer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>

namespace {

struct Paced {
    int frames = 0, steps = 0, mostSteps = 0;
};

// 10 s of simulated time: each frame runs the steps due, works `workMs(frame)`,
// presents (at the display's next refresh with vsync), waits as the pacer
// says, then pauses `pauseMs`.
Paced TenSeconds(const std::function<double(int)>& workMs, double pauseMs = 0, double hz = 60, bool vsync = false) {
    platform::FramePacer pacer;
    Paced run;
    for (double now = 0; now < 10000; ++run.frames) {
        run.steps += pacer.StepsDue();
        run.mostSteps = std::max(run.mostSteps, pacer.StepsDue());
        now += workMs(run.frames);
        if (vsync) now = std::ceil(now / (1000 / hz)) * (1000 / hz);
        now += pacer.DelayMs(now, pauseMs) + pauseMs;
    }
    return run;
}

class DisplayRate : public ::testing::TestWithParam<std::tuple<double, bool>> {};

}  // namespace

TEST_P(DisplayRate, GivesSixtyGameFramesASecond) {
    const auto [hz, vsync] = GetParam();
    const Paced run = TenSeconds([](int) { return 3.0; }, 0, hz, vsync);
    EXPECT_NEAR(run.frames, 600, 1);
    EXPECT_EQ(run.steps, run.frames);
}

INSTANTIATE_TEST_SUITE_P(Displays, DisplayRate,
                         ::testing::Combine(::testing::Values(60.0, 75.0, 120.0, 144.0), ::testing::Bool()));

TEST(FramePacer, LateFramesAreMadeUpByAtMostFourStepsAFrame) {
    // One frame of 60 ms; a second of 40 ms frames; 20 ms frames with every fifth light.
    for (const auto& work : std::initializer_list<std::function<double(int)>>{
             [](int f) { return f == 100 ? 60.0 : 3.0; }, [](int f) { return f >= 100 && f < 125 ? 40.0 : 3.0; },
             [](int f) { return f % 5 == 4 ? 2.0 : 20.0; }})
        EXPECT_NEAR(TenSeconds(work).steps, 600, 1);

    // A stall frame of 1013 ms spans 61 ticks: its own step and four are run, 56 lost.
    const Paced stalled = TenSeconds([](int f) { return f == 100 ? 1010.0 : 3.0; });
    EXPECT_EQ(stalled.mostSteps, platform::FramePacer::kMaxSteps);
    EXPECT_EQ(TenSeconds([](int) { return 3.0; }).steps - stalled.steps, 56);
}

TEST(FramePacer, TheGamesOwnPauseSlowsItAsBeforeAndIsNeverMadeUp) {
    // Within the period it costs nothing; beyond, a frame lasts the work and the pause.
    for (const auto& [pause, frames] : {std::pair{5.0, 600}, {20.0, 435}, {100.0, 97}}) {
        const Paced run = TenSeconds([](int) { return 3.0; }, pause);
        EXPECT_NEAR(run.frames, frames, 1) << pause;
        EXPECT_EQ(run.steps, run.frames) << pause;
    }
    const Paced loaded = TenSeconds([](int f) { return f % 10 == 0 ? 60.0 : 3.0; }, 5.0);
    EXPECT_GT(loaded.steps, loaded.frames * 11 / 10) << "the work's own lateness is still made up";
}
