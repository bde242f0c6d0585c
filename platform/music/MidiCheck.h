// Whether a Standard MIDI File can be played: synthesisers loop a tune that
// lasts no time or cannot be read to its end, for ever, so such a tune is
// refused when it is loaded.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// A valid "MThd" header (format 0 or 1, at least one track, a division other
// than 0), every declared "MTrk" chunk inside the image, every event of each
// parsing inside its chunk up to an end of track, and some tick after 0.
bool IsPlayableMidi(const std::uint8_t* data, std::size_t size);

}  // namespace platform
