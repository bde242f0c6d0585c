// libFuzzer target: the WAVE scan must stay inside any image it is given.
#include "WaveParser.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const platform::WaveChunks found = platform::ScanWave(bytes, size);
    volatile std::uint8_t sink = 0;
    if (found.format)
        for (std::uint32_t i = 0; i < found.formatBytes; ++i) sink = sink + found.format[i];
    if (found.data)
        for (std::uint32_t i = 0; i < found.dataBytes; ++i) sink = sink + found.data[i];
    (void)platform::IsPlayableFormat(platform::ReadWaveFormat(found.format, found.formatBytes));
    return 0;
}
