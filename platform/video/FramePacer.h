// The game's frame clock: one logic step every 1/60 s whatever the display's
// refresh rate, as the game was tuned for a 60 Hz display. A frame that comes
// late shows at once, and the next frame makes up the ticks it missed by
// running that many more logic steps before it draws, at most kMaxSteps, so
// that a long stall does not turn into a burst. The pause the game takes on
// purpose after a frame (its speed setting) is never made up.
#pragma once

namespace platform {

class FramePacer {
public:
    static constexpr double kPeriodMs = 1000.0 / 60;
    static constexpr int kMaxSteps = 4;

    // How long to wait, from `nowMs`, for the tick of the next frame. The
    // game then pauses `pauseMs` on purpose before its next frame.
    double DelayMs(double nowMs, double pauseMs = 0);

    // The logic steps the next frame runs before it draws: 1 on time, more
    // after a late frame.
    int StepsDue() const { return stepsDue_; }

private:
    bool started_ = false;
    double nextMs_ = 0;   // the next tick
    double pauseMs_ = 0;  // the game's own pause since the last flip
    int stepsDue_ = 1;
};

}  // namespace platform
