#include "WaveFile.h"

#include "BoundedRead.h"

namespace platform {
namespace {

// Far above any sound the game plays; a bigger file is taken as broken.
constexpr std::size_t kMaxWaveFileBytes = 16u << 20;

}  // namespace

WaveFile ReadWaveFile(const std::string& path) {
    WaveFile wave;
    wave.found = ReadFilePrefix(path, kMaxWaveFileBytes + 1, wave.bytes);
    if (!wave.found || wave.bytes.size() > kMaxWaveFileBytes) return wave;

    const WaveChunks chunks = ScanWave(wave.bytes.data(), wave.bytes.size());
    if (chunks.code != WaveFound) return wave;
    wave.format = ReadWaveFormat(chunks.format, chunks.formatBytes);
    if (!IsPlayableFormat(wave.format)) return wave;

    wave.dataOffset = static_cast<std::size_t>(chunks.data - wave.bytes.data());
    wave.dataBytes = chunks.dataBytes - chunks.dataBytes % wave.format.blockAlign;
    wave.playable = wave.dataBytes > 0;
    return wave;
}

}  // namespace platform
