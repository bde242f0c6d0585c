#include "DiscSource.h"

#include <algorithm>

namespace platform {
namespace {
constexpr int kSecondSectors = 75;
}

int DiscToc::TrackOf(std::int32_t sector) const {
    int track = 1;
    while (track < count && run[track + 1] <= sector) ++track;
    return track;
}

std::uint32_t DiscToc::Tmsf(std::int32_t sector) const {
    if (count == 0) return 0;
    const int track = TrackOf(sector);
    const std::int32_t into = std::max(0, sector - index1[track]);
    const std::uint32_t minutes = std::min(into / (60 * kSecondSectors), 255);
    const std::uint32_t seconds = into / kSecondSectors % 60, frames = into % kSecondSectors;
    return std::uint32_t(track) | minutes << 8 | seconds << 16 | frames << 24;
}

bool DiscToc::SectorOf(std::uint32_t tmsf, std::int32_t& sector) const {
    const int track = static_cast<int>(tmsf & 0xFF);
    const int minutes = (tmsf >> 8) & 0xFF, seconds = (tmsf >> 16) & 0xFF, frames = (tmsf >> 24) & 0xFF;
    if (track < 1 || track > count || seconds >= 60 || frames >= kSecondSectors) return false;
    sector = index1[track] + (minutes * 60 + seconds) * kSecondSectors + frames;
    return sector < leadOut;
}

}  // namespace platform
