#include "FramePacer.h"

#include <cmath>

namespace platform {

double FramePacer::DelayMs(double nowMs) {
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
    // Late: this frame takes the latest tick passed; the next one keeps the beat.
    nextMs_ += kPeriodMs * (std::floor((nowMs - nextMs_) / kPeriodMs) + 1);
    return 0;
}

}  // namespace platform
