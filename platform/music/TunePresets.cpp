#include "TunePresets.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

constexpr int kDrumChannel = 9;
constexpr int kDrumBank = 128;

// A variable-length quantity at `at`, or false past `end`.
bool ReadLength(const std::uint8_t* data, std::size_t end, std::size_t& at, std::size_t& value) {
    value = 0;
    for (int bytes = 0; bytes < 4; ++bytes) {
        if (at >= end) return false;
        const std::uint8_t byte = data[at++];
        value = value << 7 | (byte & 0x7f);
        if (!(byte & 0x80)) return true;
    }
    return false;
}

void Add(std::vector<TunePreset>& presets, TunePreset preset) {
    if (std::find(presets.begin(), presets.end(), preset) == presets.end()) presets.push_back(preset);
}

void ReadTrack(const std::uint8_t* data, std::size_t at, std::size_t end, std::vector<TunePreset>& presets) {
    int bank[16] = {};
    std::uint8_t status = 0;
    std::size_t skip = 0;
    while (at < end && ReadLength(data, end, at, skip) && at < end) {
        const std::uint8_t first = data[at];
        if (first == 0xff || first == 0xf0 || first == 0xf7) {  // meta or system exclusive: skipped
            at += first == 0xff ? 2 : 1;
            if (!ReadLength(data, end, at, skip) || skip > end - at) return;
            at += skip;
            continue;
        }
        if (first & 0x80) status = data[at++];
        if (status < 0x80 || status >= 0xf0) return;
        const int channel = status & 0x0f, kind = status & 0xf0;
        const std::size_t length = kind == 0xc0 || kind == 0xd0 ? 1 : 2;
        if (length > end - at) return;
        // The synthesiser's default bank select ("gs") takes the bank from controller 0.
        if (kind == 0xb0 && data[at] == 0) bank[channel] = data[at + 1] & 0x7f;
        if (kind == 0xc0)
            Add(presets, {channel == kDrumChannel ? kDrumBank : bank[channel], data[at] & 0x7f});
        at += length;
    }
}

}  // namespace

std::vector<TunePreset> PresetsOfTune(const std::uint8_t* data, std::size_t size) {
    std::vector<TunePreset> presets{{0, 0}, {kDrumBank, 0}};
    if (size < 14 || std::memcmp(data, "MThd", 4) != 0) return presets;
    for (std::size_t at = 14; size - at >= 8;) {
        const std::size_t length = std::size_t{data[at + 4]} << 24 | data[at + 5] << 16 | data[at + 6] << 8 | data[at + 7];
        const std::size_t end = at + 8 + std::min(length, size - at - 8);
        if (std::memcmp(data + at, "MTrk", 4) == 0) ReadTrack(data, at + 8, end, presets);
        at = end;
    }
    return presets;
}

}  // namespace platform
