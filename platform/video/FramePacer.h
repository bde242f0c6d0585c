// The game's frame clock: one frame every 1/60 s whatever the display's
// refresh rate, as the game was tuned for a 60 Hz display. A frame that comes
// late shows at once and the missed ticks are skipped, never caught up.
#pragma once

namespace platform {

class FramePacer {
public:
    static constexpr double kPeriodMs = 1000.0 / 60;

    // How long to wait, from `nowMs`, for the tick of the next frame.
    double DelayMs(double nowMs);

private:
    bool started_ = false;
    double nextMs_ = 0;  // the next tick
};

}  // namespace platform
