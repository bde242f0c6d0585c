// A WAVE file read by name and checked for what a mixer can play, for the
// system's PlayWaveFile.
#pragma once

#include "WaveParser.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct WaveFile {
    bool found = false;     // the file was read
    bool playable = false;  // a WAVE image with data in a format a mixer plays
    std::vector<std::uint8_t> bytes;
    WaveFormat format{};
    std::size_t dataOffset = 0;
    std::uint32_t dataBytes = 0;  // whole sample frames only
};
WaveFile ReadWaveFile(const std::string& path);

}  // namespace platform
