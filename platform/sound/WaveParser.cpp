#include "WaveParser.h"

#include <algorithm>

namespace platform {
namespace {

std::uint32_t Word(const std::uint8_t* at) {
    return std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 | std::uint32_t(at[3]) << 24;
}

bool IsTag(const std::uint8_t* at, const char (&tag)[5]) {
    return at[0] == tag[0] && at[1] == tag[1] && at[2] == tag[2] && at[3] == tag[3];
}

}  // namespace

WaveChunks ScanWave(const std::uint8_t* bytes, std::size_t size) {
    WaveChunks found;
    if (!bytes || size < 4 || !IsTag(bytes, "RIFF")) return {.code = WaveNotRiff};
    if (size < 12 || !IsTag(bytes + 8, "WAVE")) return {.code = WaveNotWave};

    // 64-bit positions: no length can wrap them.
    const std::uint64_t end = std::min<std::uint64_t>(8ull + Word(bytes + 4), size);
    std::uint64_t at = 12;
    while (at + 8 <= end) {
        const std::uint8_t* header = bytes + at;
        const std::uint32_t length = Word(header + 4);
        at += 8;
        const auto held = static_cast<std::uint32_t>(std::min<std::uint64_t>(length, end - at));

        if (IsTag(header, "fmt ") && !found.format) {
            if (length < 14) return {.code = WaveFormatTooShort};
            found.format = bytes + at;
            found.formatBytes = held;
        } else if (IsTag(header, "data") && (!found.data || found.dataBytes == 0)) {
            found.data = bytes + at;
            found.dataBytes = held;
        }

        if (found.format && found.data && found.dataBytes != 0) {
            found.code = WaveFound;
            return found;
        }
        at += length + (length & 1u);
    }
    found.code = WaveChunksMissing;
    return found;
}

WaveFormat ReadWaveFormat(const std::uint8_t* format, std::uint32_t formatBytes) {
    std::uint8_t full[16] = {};
    if (format) std::copy_n(format, std::min<std::uint32_t>(formatBytes, sizeof full), full);
    auto half = [&](int at) { return std::uint16_t(full[at] | full[at + 1] << 8); };
    return {half(0), half(2), Word(full + 4), Word(full + 8), half(12), half(14)};
}

bool IsPlayableFormat(const WaveFormat& f) {
    const bool sizeOk = (f.bitsPerSample == 8 || f.bitsPerSample == 16);
    return f.formatTag == 1 && (f.channels == 1 || f.channels == 2) && sizeOk &&
           f.blockAlign == f.channels * f.bitsPerSample / 8 && f.samplesPerSecond >= 1000 &&
           f.samplesPerSecond <= 192000;
}

}  // namespace platform
