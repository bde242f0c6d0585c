// A disc as the player sees it: a table of contents and sectors to read,
// from a drive or an image through libcdio, or from a test's script. The
// player calls a source only from its worker thread, and any call may take as
// long as the disc does.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// The tracks of a disc by logical sector number. A track runs from its
// pregap (INDEX 00) where the disc has one, so the pregap counts with the
// track it leads into, to the next track's run; it is heard from INDEX 01.
struct DiscToc {
    static constexpr int kMaxTracks = 99;
    int count = 0;                                       // tracks 1 .. count; 0: no disc
    std::array<std::int32_t, kMaxTracks + 2> run{};      // first sector counted with the track
    std::array<std::int32_t, kMaxTracks + 2> index1{};   // first sector of its audio: its position 0
    std::array<bool, kMaxTracks + 2> audio{};            // a data track plays as silence
    std::int32_t leadOut = 0;                            // one past the last sector

    // Tracks/minutes/seconds/frames of a sector (frames are sectors); 0 minutes,
    // 0 seconds, 0 frames within a pregap.
    std::uint32_t Tmsf(std::int32_t sector) const;
    // The sector a position names; false when it lies off the disc.
    bool SectorOf(std::uint32_t tmsf, std::int32_t& sector) const;
    int TrackOf(std::int32_t sector) const;
};

class DiscSource {
public:
    static constexpr int kSectorBytes = 2352;  // 588 frames of 16-bit little-endian stereo

    virtual ~DiscSource() = default;  // releases the disc

    const DiscToc& Toc() const { return toc_; }
    // `sectors` whole audio sectors from `first` into `bytes`; false when they cannot be read.
    virtual bool Read(std::int32_t first, int sectors, std::uint8_t* bytes) = 0;
    // False once the disc opened is no longer there: taken out, or its image
    // removed or replaced.
    virtual bool StillThere() = 0;

protected:
    DiscToc toc_;
};

// A kind of source: what stands behind the drive names "B:", "C:", ... (read
// afresh as each walk over the names begins), and how one of them opens; an
// open gives nothing when the source will not open, and a source with no
// tracks for a drive without a disc.
struct DiscDrives {
    std::function<std::vector<std::string>()> list;
    std::function<std::unique_ptr<DiscSource>(const std::string&)> open;
};

}  // namespace platform
