// The game's frame clock: one logic step every 1/60 s whatever the display's
// refresh rate, as the game was tuned for a 60 Hz display. A frame that comes
// late shows at once, and the ticks it passed are owed: the frames after it
// repay them one extra logic step a frame, so at most two steps a frame, and
// never a step before its tick. A stall of over half a second is forgotten
// (the process was stopped, or sat in a debugger), and a debt never grows
// past half a second: paid back, more would only be a rush. The pause the
// game takes on purpose after a frame (its speed setting) is never owed.
#pragma once

namespace platform {

class FramePacer {
public:
    static constexpr double kPeriodMs = 1000.0 / 60;
    static constexpr int kMaxSteps = 2;
    static constexpr int kMaxOwedSteps = 30;  // half a second

    // How long to wait, from `nowMs`, for the tick of the next frame. The
    // game then pauses `pauseMs` on purpose before its next frame.
    double DelayMs(double nowMs, double pauseMs = 0);

    // The logic steps the next frame runs before it draws: 1, or 2 while a
    // debt is being repaid.
    int StepsDue() const { return stepsDue_; }

private:
    bool started_ = false;
    double nextMs_ = 0;   // the next tick
    double pauseMs_ = 0;  // the game's own pause since the last flip
    int owed_ = 0;
    int stepsDue_ = 1;
};

}  // namespace platform
