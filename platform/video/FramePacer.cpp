#include "FramePacer.h"

#include <algorithm>
#include <cmath>

namespace platform {

double FramePacer::DelayMs(double nowMs, double pauseMs) {
    const double paused = pauseMs_;
    pauseMs_ = pauseMs;
    stepsDue_ = 1;
    if (!started_) {
        started_ = true;
        nextMs_ = nowMs + kPeriodMs;
        return 0;
    }
    if (nowMs < nextMs_) {
        const double delay = nextMs_ - nowMs;
        nextMs_ += kPeriodMs;
        return delay;
    }

    // Late: this frame takes the latest tick passed and the next one keeps the
    // beat. The ticks the frame would have passed without the game's own pause
    // are made up by the next frame; those the pause took are skipped, as the
    // speed setting means them to be.
    const double late = nowMs - paused - nextMs_;
    if (late >= kPeriodMs) stepsDue_ = static_cast<int>(std::min<double>(std::floor(late / kPeriodMs) + 1, kMaxSteps));
    nextMs_ += kPeriodMs * (std::floor((nowMs - nextMs_) / kPeriodMs) + 1);
    return 0;
}

}  // namespace platform
