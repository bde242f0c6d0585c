#include "FramePacer.h"

#include <algorithm>
#include <cmath>

namespace platform {

double FramePacer::DelayMs(double nowMs, double pauseMs) {
    const double paused = pauseMs_;
    pauseMs_ = pauseMs;
    if (!started_) {
        started_ = true;
        nextMs_ = nowMs + kPeriodMs;
        stepsDue_ = 1;
        return 0;
    }
    double delay = 0;
    if (nowMs < nextMs_) {
        delay = nextMs_ - nowMs;
        nextMs_ += kPeriodMs;
    } else {
        // Late: this frame takes the latest tick passed and the next one keeps
        // the beat. The ticks passed without the game's own pause are owed;
        // those the pause took are skipped, as the speed setting means them to be.
        const double late = nowMs - paused - nextMs_;
        const int missed = late >= kPeriodMs ? static_cast<int>(std::min(std::floor(late / kPeriodMs), 1e6)) : 0;
        // A stall past the limit is forgotten whole; a debt grown past it by
        // many late frames keeps only the limit.
        if (missed <= kMaxOwedSteps) owed_ = std::min(owed_ + missed, kMaxOwedSteps);
        nextMs_ += kPeriodMs * (std::floor((nowMs - nextMs_) / kPeriodMs) + 1);
    }
    // The owed ticks have all passed, so a step of them never runs ahead of the clock.
    const int repaid = std::min(owed_, kMaxSteps - 1);
    owed_ -= repaid;
    stepsDue_ = 1 + repaid;
    return delay;
}

}  // namespace platform
