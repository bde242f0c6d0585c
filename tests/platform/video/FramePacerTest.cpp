// The frame clock against simulated displays and loads: whatever the refresh
// rate, and however late single frames come, the game gets 60 logic steps a
// second, and its own pause slows it as much as it did.
#include "FramePacer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>

namespace {

using platform::FramePacer;
constexpr double kPeriod = FramePacer::kPeriodMs;

struct Paced {
    int frames = 0, steps = 0, mostSteps = 0;
};

// `seconds` of simulated time: each frame works `workMs(frame)`, presents
// (waiting for the display's next refresh when it has vsync), waits as the
// pacer says and then pauses `pauseMs`; the steps are those it ran first.
Paced RunFor(double seconds, const std::function<double(int)>& workMs, double pauseMs = 0, double refreshHz = 60,
           bool vsync = false) {
    FramePacer pacer;
    Paced run;
    double now = 0;
    while (now < seconds * 1000) {
        run.steps += pacer.StepsDue();
        run.mostSteps = std::max(run.mostSteps, pacer.StepsDue());
        now += workMs(run.frames);
        if (vsync) now = std::ceil(now / (1000 / refreshHz)) * (1000 / refreshHz);
        now += pacer.DelayMs(now, pauseMs) + pauseMs;
        ++run.frames;
    }
    return run;
}

class DisplayRate : public ::testing::TestWithParam<std::tuple<double, bool>> {};

}  // namespace

TEST_P(DisplayRate, GivesSixtyGameFramesASecond) {
    const auto [hz, vsync] = GetParam();
    const Paced run = RunFor(10, [](int) { return 3.0; }, 0, hz, vsync);
    EXPECT_NEAR(run.frames, 600, 1);
    EXPECT_EQ(run.steps, run.frames);
}

INSTANTIATE_TEST_SUITE_P(Displays, DisplayRate,
                         ::testing::Combine(::testing::Values(60.0, 75.0, 120.0, 144.0), ::testing::Bool()));

TEST(FramePacer, LateFramesAreMadeUpWheneverTheAverageFrameFits) {
    const Paced oneLate = RunFor(10, [](int frame) { return frame == 100 ? 60.0 : 3.0; });
    EXPECT_NEAR(oneLate.steps, 600, 1);
    EXPECT_EQ(oneLate.mostSteps, 3);

    // A second of frames at 40 ms each, then light ones to catch up.
    const Paced lateRun = RunFor(10, [](int frame) { return frame >= 100 && frame < 125 ? 40.0 : 3.0; });
    EXPECT_NEAR(lateRun.steps, 600, 1);
    EXPECT_LT(lateRun.frames, 600);

    // Every frame a little over the period, every fifth one much less.
    const Paced uneven = RunFor(10, [](int frame) { return frame % 5 == 4 ? 2.0 : 20.0; });
    EXPECT_NEAR(uneven.steps, 600, 1);
}

TEST(FramePacer, ALongStallIsMadeUpByFourStepsAtMostAndTheBeatGoesOn) {
    FramePacer pacer;
    EXPECT_EQ(pacer.DelayMs(0), 0);
    EXPECT_NEAR(pacer.DelayMs(5), kPeriod - 5, 1e-9);
    EXPECT_EQ(pacer.StepsDue(), 1);

    EXPECT_EQ(pacer.DelayMs(1010), 0) << "a stall shows at once";
    EXPECT_EQ(pacer.StepsDue(), FramePacer::kMaxSteps);
    // The next frame, on time again, waits for the old beat's following tick: no burst.
    const double nextTick = std::ceil(1010 / kPeriod) * kPeriod;
    EXPECT_NEAR(pacer.DelayMs(1013), nextTick - 1013, 1e-9);
    EXPECT_EQ(pacer.StepsDue(), 1);

    // A stall frame of 1013 ms spans 61 ticks: its own step and the bound's
    // are run, the other 56 are lost.
    const Paced steady = RunFor(10, [](int) { return 3.0; });
    const Paced stalled = RunFor(10, [](int frame) { return frame == 100 ? 1010.0 : 3.0; });
    EXPECT_EQ(steady.steps - stalled.steps, 61 - 1 - FramePacer::kMaxSteps);
    EXPECT_EQ(stalled.mostSteps, FramePacer::kMaxSteps);
}

TEST(FramePacer, TheGamesOwnPauseSlowsItAsBeforeAndIsNeverMadeUp) {
    // A pause that fits in the period costs nothing; a longer one makes each
    // frame last the work and the pause, one step each.
    for (const auto& [pause, frames] : {std::pair{5.0, 600}, {20.0, 435}, {100.0, 97}}) {
        const Paced run = RunFor(10, [](int) { return 3.0; }, pause);
        EXPECT_NEAR(run.frames, frames, 1) << pause;
        EXPECT_EQ(run.steps, run.frames) << pause;
    }
    // Under load the work's own lateness is still made up.
    const Paced loaded = RunFor(10, [](int frame) { return frame % 10 == 0 ? 60.0 : 3.0; }, 5.0);
    EXPECT_GT(loaded.steps, loaded.frames + loaded.frames / 10);
}
