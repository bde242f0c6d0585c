// The sound device: static buffers of PCM sound made from a WAVE format and
// its data, played from a position once or looping, mixed by the device.
#pragma once

#include <cstdint>

namespace platform {

// A buffer, owned by the device that made it and released through it.
struct SoundBuffer {
    virtual ~SoundBuffer() = default;
};

struct PrimaryFormat {
    std::uint16_t channels;
    std::uint32_t samplesPerSecond;
    std::uint16_t bitsPerSample;
};

// A static buffer: `bytes` long, in the format whose "fmt " chunk bytes are given.
struct BufferRequest {
    const std::uint8_t* format;  // null: no format, which the device refuses
    std::uint32_t formatBytes;
    std::uint32_t bytes;         // 0 is refused too
};

// The two parts of a locked range; the second is used when the range wraps.
struct LockedRegions {
    std::uint8_t* first = nullptr;
    std::uint32_t firstBytes = 0;
    std::uint8_t* second = nullptr;
    std::uint32_t secondBytes = 0;
};

enum class SoundResult { Ok, Failed, BufferLost };

// Every call on a null buffer does nothing (and a lock or play then fails).
class SoundDevice {
public:
    virtual ~SoundDevice() = default;

    virtual bool CreateDevice() = 0;       // the system's default device
    virtual bool SetPriorityLevel() = 0;   // cooperative level on the game's window
    virtual bool SetSpeakersMono() = 0;
    virtual SoundBuffer* CreatePrimaryBuffer() = 0;
    virtual bool SetPrimaryFormat(SoundBuffer* primary, const PrimaryFormat& format) = 0;
    virtual void ReleaseDevice() = 0;      // the device, and any buffer still held

    // Null when the device refuses: no device, no or an unplayable format, no bytes.
    // A new buffer holds silence.
    virtual SoundBuffer* CreateBuffer(const BufferRequest& request) = 0;
    // Shares the sound data of `original`, with its own position and playing state.
    virtual SoundBuffer* Duplicate(SoundBuffer* original) = 0;

    virtual SoundResult Lock(SoundBuffer* buffer, std::uint32_t offset, std::uint32_t bytes,
                             LockedRegions& regions) = 0;
    virtual void Unlock(SoundBuffer* buffer, const LockedRegions& regions) = 0;
    virtual bool Restore(SoundBuffer* buffer) = 0;  // a lost buffer, back with undefined contents

    virtual void SetPosition(SoundBuffer* buffer, std::uint32_t position) = 0;
    virtual SoundResult Play(SoundBuffer* buffer, bool looping) = 0;
    virtual void Stop(SoundBuffer* buffer) = 0;
    virtual void Release(SoundBuffer* buffer) = 0;  // silences it if it plays
};

}  // namespace platform
