// The frame clock against simulated displays and loads: whatever the refresh
// rate, and however late single frames come, the game gets 60 logic steps a
// second; its own pause slows it as it always did.
#include "FramePacer.h"
#include "HeadlessBackends.h"
#include "SdlVideo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>
#include <vector>

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

TEST(FramePacer, LateFramesAreRepaidAtTwoStepsAFrameAndALongStallIsForgotten) {
    // One frame of 60 ms; a second of 40 ms frames; 20 ms frames with every fifth light.
    for (const auto& work : std::initializer_list<std::function<double(int)>>{
             [](int f) { return f == 100 ? 60.0 : 3.0; }, [](int f) { return f >= 100 && f < 125 ? 40.0 : 3.0; },
             [](int f) { return f % 5 == 4 ? 2.0 : 20.0; }}) {
        const Paced run = TenSeconds(work);
        EXPECT_NEAR(run.steps, 600, 1);
        EXPECT_LE(run.mostSteps, platform::FramePacer::kMaxSteps);
    }

    // A stall of 120 ms passes 7 ticks: its frame takes the last, and the 6
    // before it are repaid one a frame by the next 6 frames.
    platform::FramePacer pacer;
    double now = 0;
    std::vector<int> steps;
    for (int frame = 0; frame < 20; ++frame) {
        now += frame == 5 ? 120.0 : 3.0;
        now += pacer.DelayMs(now);
        steps.push_back(pacer.StepsDue());
    }
    EXPECT_EQ(steps, (std::vector<int>{1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1}));

    // A stall of 5 s is forgotten: no frame after it runs more than one step.
    const Paced stalled = TenSeconds([](int f) { return f == 100 ? 5000.0 : 3.0; });
    EXPECT_EQ(stalled.mostSteps, 1);
    EXPECT_NEAR(stalled.steps, 300, 5);
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

// Both displays hand the game's pause to the clock: 30 frames of a 100 ms
// pause run one step each, and a late frame of work alone is still repaid.
TEST(FramePacer, NeitherDisplayMakesUpTheGamesOwnPause) {
    double clock = 0;
    platform::HeadlessDisplay headless;
    headless.SetFrameTime([](int flip) { return flip == 40 ? 50.0 : 2.0; });
    platform::SdlDisplay sdl;
    sdl.SetClock([&clock] { return clock; }, [&clock](std::uint32_t ms) { clock += ms; });
    for (platform::Display* display : {static_cast<platform::Display*>(&headless), static_cast<platform::Display*>(&sdl)}) {
        int mostSteps = 0;
        for (int frame = 0; frame < 30; ++frame) {
            clock += 2;
            display->Flip(100);
            clock += 100;  // the game's sleep
            mostSteps = std::max(mostSteps, display->StepsDue());
        }
        EXPECT_EQ(mostSteps, 1);
        for (int frame = 30; frame < 45; ++frame) {
            clock += frame == 40 ? 50 : 2;
            display->Flip(0);
            mostSteps = std::max(mostSteps, display->StepsDue());
        }
        EXPECT_EQ(mostSteps, 2) << "a late frame's own work is repaid";
    }
}

// Late frames in a row owe at most half a second between them, however many
// they pass; and the game's pause excuses only the wait after the frame that
// asked for it, never the frame's own lateness.
TEST(FramePacer, ADebtStopsAtHalfASecondAndAPauseExcusesOnlyTheWaitAfterIt) {
    platform::FramePacer pacer;
    double now = 0;
    int repaid = 0;
    for (int frame = 0; frame < 300; ++frame) {
        now += frame >= 10 && frame < 30 ? 100.0 : 3.0;  // each passes 6 ticks and repays 1
        now += pacer.DelayMs(now);
        if (frame >= 30) repaid += pacer.StepsDue() - 1;
    }
    EXPECT_LE(repaid, platform::FramePacer::kMaxOwedSteps);
    EXPECT_GE(repaid, platform::FramePacer::kMaxOwedSteps - 5) << "what is owed is still repaid";

    // A pause of 100 ms every other frame: the frames after it are not late.
    auto mostSteps = [](const std::function<double(int)>& workMs, const std::function<double(int)>& pauseMs) {
        platform::FramePacer paced;
        double clock = 0;
        int most = 0;
        for (int frame = 0; frame < 60; ++frame) {
            clock += workMs(frame);
            clock += paced.DelayMs(clock, pauseMs(frame)) + pauseMs(frame);
            most = std::max(most, paced.StepsDue());
        }
        return most;
    };
    EXPECT_EQ(mostSteps([](int) { return 2.0; }, [](int f) { return f % 2 ? 0.0 : 100.0; }), 1);
    // A frame 50 ms late that asks for a pause owes its own lateness all the same.
    EXPECT_EQ(mostSteps([](int f) { return f == 30 ? 50.0 : 2.0; }, [](int f) { return f == 30 ? 100.0 : 0.0; }), 2);
}
