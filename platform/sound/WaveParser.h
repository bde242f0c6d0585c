// The scan of a RIFF/WAVE image for its "fmt " and "data" chunks. Every read
// is bounded by the image's size, so a lying length can neither run the scan
// past the end nor make it step backwards.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// How finding a WAVE resource's chunks ended: 1-7 name the failure the game
// reports by that number; the scan itself gives 4-8.
enum WaveScanCode : int {
    WaveNoResource = 1,     // no resource of that name
    WaveCannotLoad = 2,
    WaveCannotLock = 3,
    WaveNotRiff = 4,        // the image does not begin with "RIFF"
    WaveNotWave = 5,        // its form is not "WAVE"
    WaveFormatTooShort = 6, // the first "fmt " chunk is shorter than 14 bytes
    WaveChunksMissing = 7,  // no format, or no non-empty data, before the end
    WaveFound = 8,
};

struct WaveChunks {
    WaveScanCode code = WaveChunksMissing;
    const std::uint8_t* format = nullptr;  // the "fmt " chunk's bytes
    std::uint32_t formatBytes = 0;         // as many as the image holds, up to the chunk's length
    const std::uint8_t* data = nullptr;    // the "data" chunk's bytes
    std::uint32_t dataBytes = 0;           // as many as the image holds, up to the chunk's length
};

WaveChunks ScanWave(const std::uint8_t* bytes, std::size_t size);

// The fields of a "fmt " chunk; those a short chunk lacks read as 0.
struct WaveFormat {
    std::uint16_t formatTag, channels;
    std::uint32_t samplesPerSecond, bytesPerSecond;
    std::uint16_t blockAlign, bitsPerSample;
};
WaveFormat ReadWaveFormat(const std::uint8_t* format, std::uint32_t formatBytes);

// Whether a mixer can play it: PCM, 1 or 2 channels, 8 or 16 bits, a sane rate and block.
bool IsPlayableFormat(const WaveFormat& format);

}  // namespace platform
