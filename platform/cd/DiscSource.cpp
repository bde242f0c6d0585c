#include "DiscSource.h"

#include "CdAudio.h"

#include <algorithm>

namespace platform {

int DiscToc::TrackOf(std::int32_t sector) const {
    int track = 1;
    while (track < count && run[track + 1] <= sector) ++track;
    return track;
}

std::uint32_t DiscToc::Tmsf(std::int32_t sector) const {
    if (count == 0) return 0;
    const int track = TrackOf(sector);
    const std::int32_t into = std::max(0, sector - index1[track]);
    const int minutes = std::min(into / (60 * kCdFramesPerSecond), 255);
    return platform::Tmsf(track, minutes, into / kCdFramesPerSecond % 60, into % kCdFramesPerSecond);
}

bool DiscToc::SectorOf(std::uint32_t tmsf, std::int32_t& sector) const {
    const int track = TmsfTrack(tmsf), seconds = TmsfSeconds(tmsf), frames = TmsfFrames(tmsf);
    if (track < 1 || track > count || seconds >= 60 || frames >= kCdFramesPerSecond) return false;
    sector = index1[track] + (TmsfMinutes(tmsf) * 60 + seconds) * kCdFramesPerSecond + frames;
    return sector < leadOut;
}

}  // namespace platform
