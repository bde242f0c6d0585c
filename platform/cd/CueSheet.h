// Our own reader of a BIN/CUE image's sheet: one data file, BINARY or
// MOTOROLA, tracks numbered 1 .. n in order. Whatever it cannot place makes
// the sheet no disc, so nothing odd in a sheet ever reaches a read.
#pragma once

#include "DiscSource.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

struct CueSheet {
    static constexpr std::size_t kMaxBytes = 64 * 1024;  // 99 tracks with every remark a player would write fit with room to spare

    DiscToc toc;  // sectors as the data file counts them; the lead-out from its size
    std::array<int, DiscToc::kMaxTracks + 2> block{};               // bytes a sector of the track has in the file
    std::array<std::int64_t, DiscToc::kMaxTracks + 2> fileByte{};   // where the track's run begins in the file
    std::string file;       // the data file as the sheet names it
    bool motorola = false;  // its samples big-endian

    // Where a sector lies in the data file.
    std::int64_t ByteOf(std::int32_t sector) const;
    // The lead-out of a data file of `bytes`; false when the file ends before the last track's sound.
    bool SetLeadOut(std::int64_t bytes);
};

// False unless `text` is a sheet the game plays.
bool ParseCueSheet(std::string_view text, CueSheet& sheet);

// At most kMaxBytes of a descriptor, read once; false when there is more, or a read fails.
bool ReadCueText(int fd, std::string& text);

}  // namespace platform
