// The music objects the game holds by pointer, as each music back end makes them.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct MusicSegment {
    std::string file;
    std::uint32_t loopStart = 0, loopEnd = 0, repeats = 0;
    void* native = nullptr;  // the back end's own tune, if it has one
};

struct MusicSegmentState {
    MusicSegment* segment = nullptr;  // not to be followed once the segment is released
};

}  // namespace platform
