// A sound buffer on a real device holding a WAVE image's data, as the game makes its sounds.
#pragma once

#include "SoundDevice.h"
#include "WaveParser.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// Null when the device refuses the buffer or its lock.
inline platform::SoundBuffer* BufferOfWave(platform::SoundDevice& device, const std::uint8_t* image, std::size_t size) {
    const platform::WaveChunks chunks = platform::ScanWave(image, size);
    platform::SoundBuffer* buffer = device.CreateBuffer({chunks.format, chunks.formatBytes, chunks.dataBytes});
    platform::LockedRegions regions;
    if (!buffer || device.Lock(buffer, 0, chunks.dataBytes, regions) != platform::SoundResult::Ok) return nullptr;
    std::memcpy(regions.first, chunks.data, regions.firstBytes);
    device.Unlock(buffer, regions);
    return buffer;
}
