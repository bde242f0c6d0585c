// Buffers hold their sound as the game gave it (8 kHz 8-bit mono for ours);
// the mixer converts while it plays, in SDL_mixer's post-mix hook, so one
// audio device serves the sounds, the music and the WAVE-file player.
#include "PlayerBackends.h"

#include "SdlAudio.h"
#include "WaveParser.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <vector>

namespace platform {
namespace {

struct Samples {
    std::vector<std::uint8_t> bytes;
    WaveFormat format;
};

struct MixBuffer : SoundBuffer {
    std::shared_ptr<Samples> samples;
    std::uint64_t frame = 0;      // source frame, 32.32 fixed point
    bool playing = false;
    bool looping = false;
};

class SdlSound final : public SoundDevice {
public:
    ~SdlSound() override { ReleaseDevice(); }

    bool CreateDevice() override {
        if (open_) return true;
        if (!AcquireSdlAudio()) return false;
        int rate = 0, channels = 0;
        Uint16 format = 0;
        Mix_QuerySpec(&rate, &format, &channels);
        outputRate_ = rate > 0 ? rate : 44100;
        outputChannels_ = channels;
        mixable_ = format == AUDIO_S16SYS && (channels == 1 || channels == 2);
        Mix_SetPostMix(&SdlSound::MixCallback, this);
        open_ = true;
        return true;
    }

    bool SetPriorityLevel() override { return open_; }
    bool SetSpeakersMono() override { return open_; }
    SoundBuffer* CreatePrimaryBuffer() override { return open_ ? Keep(new MixBuffer) : nullptr; }
    bool SetPrimaryFormat(SoundBuffer* primary, const PrimaryFormat&) override { return Own(primary); }

    void ReleaseDevice() override {
        if (!open_) return;
        Mix_SetPostMix(nullptr, nullptr);
        {
            std::lock_guard lock(mutex_);
            for (MixBuffer* buffer : buffers_) delete buffer;
            buffers_.clear();
        }
        ReleaseSdlAudio();
        open_ = false;
    }

    SoundBuffer* CreateBuffer(const BufferRequest& request) override {
        if (!open_ || !request.format || request.formatBytes < 14 || request.bytes == 0) return nullptr;
        const WaveFormat format = ReadWaveFormat(request.format, request.formatBytes);
        if (!IsPlayableFormat(format)) return nullptr;
        auto* buffer = new MixBuffer;
        buffer->samples = std::make_shared<Samples>();
        buffer->samples->format = format;
        buffer->samples->bytes.assign(request.bytes, format.bitsPerSample == 8 ? 0x80 : 0x00);
        return Keep(buffer);
    }

    SoundBuffer* Duplicate(SoundBuffer* original) override {
        MixBuffer* source = Own(original);
        if (!source || !source->samples) return nullptr;
        auto* buffer = new MixBuffer;
        buffer->samples = source->samples;
        return Keep(buffer);
    }

    SoundResult Lock(SoundBuffer* buffer, std::uint32_t offset, std::uint32_t bytes,
                     LockedRegions& regions) override {
        regions = {};
        MixBuffer* ours = Own(buffer);
        if (!ours || !ours->samples) return SoundResult::Failed;
        std::vector<std::uint8_t>& data = ours->samples->bytes;
        if (offset >= data.size()) return SoundResult::Failed;
        mutex_.lock();  // held until Unlock, so the mixer never reads a half-written buffer
        bytes = std::min<std::uint32_t>(bytes, static_cast<std::uint32_t>(data.size()));
        regions.first = data.data() + offset;
        regions.firstBytes = std::min<std::uint32_t>(bytes, static_cast<std::uint32_t>(data.size() - offset));
        if (regions.firstBytes < bytes) {
            regions.second = data.data();
            regions.secondBytes = bytes - regions.firstBytes;
        }
        return SoundResult::Ok;
    }

    void Unlock(SoundBuffer* buffer, const LockedRegions& regions) override {
        if (Own(buffer) && regions.first) mutex_.unlock();
    }

    bool Restore(SoundBuffer* buffer) override { return Own(buffer); }  // our buffers are never lost

    void SetPosition(SoundBuffer* buffer, std::uint32_t position) override {
        std::lock_guard lock(mutex_);
        if (MixBuffer* ours = Own(buffer); ours && ours->samples)
            ours->frame = std::uint64_t(position / std::max<int>(1, ours->samples->format.blockAlign)) << 32;
    }

    SoundResult Play(SoundBuffer* buffer, bool looping) override {
        std::lock_guard lock(mutex_);
        MixBuffer* ours = Own(buffer);
        if (!ours || !ours->samples) return SoundResult::Failed;
        ours->playing = true;
        ours->looping = looping;
        return SoundResult::Ok;
    }

    void Stop(SoundBuffer* buffer) override {
        std::lock_guard lock(mutex_);
        if (MixBuffer* ours = Own(buffer)) ours->playing = false;
    }

    void Release(SoundBuffer* buffer) override {
        std::lock_guard lock(mutex_);
        if (MixBuffer* ours = Own(buffer)) {
            buffers_.erase(ours);
            delete ours;
        }
    }

private:
    MixBuffer* Keep(MixBuffer* buffer) {
        std::lock_guard lock(mutex_);
        buffers_.insert(buffer);
        return buffer;
    }

    MixBuffer* Own(SoundBuffer* buffer) {
        auto* ours = static_cast<MixBuffer*>(buffer);
        return buffers_.count(ours) ? ours : nullptr;
    }

    static void MixCallback(void* self, Uint8* stream, int length) {
        static_cast<SdlSound*>(self)->Mix(reinterpret_cast<Sint16*>(stream), length / 2);
    }

    static constexpr int kEffectLevelSixteenths = 3;  // about -14.5 dB

    // Adds every playing buffer into the stream, resampled by nearest frame.
    void Mix(Sint16* out, int values) {
        std::lock_guard lock(mutex_);
        if (!mixable_) return;
        const int frames = values / outputChannels_;
        for (MixBuffer* buffer : buffers_) {
            if (!buffer->playing || !buffer->samples) continue;
            const Samples& s = *buffer->samples;
            const int channels = s.format.channels;
            const int bytesPerSample = s.format.bitsPerSample / 8;
            const std::uint64_t total = s.bytes.size() / s.format.blockAlign;
            const std::uint64_t step = (std::uint64_t(s.format.samplesPerSecond) << 32) / outputRate_;
            for (int f = 0; f < frames && buffer->playing; ++f) {
                std::uint64_t at = buffer->frame >> 32;
                if (at >= total) {
                    if (!buffer->looping || total == 0) {
                        buffer->playing = false;
                        break;
                    }
                    buffer->frame %= total << 32;
                    at = buffer->frame >> 32;
                }
                for (int c = 0; c < outputChannels_; ++c) {
                    const int source = std::min(c, channels - 1);
                    const std::uint8_t* p = &s.bytes[at * s.format.blockAlign + source * bytesPerSample];
                    const int full = bytesPerSample == 1 ? (int(p[0]) - 128) << 8 : Sint16(p[0] | p[1] << 8);
                    // Every effect at one fixed level, under the music's and each other's peaks.
                    const int value = full * kEffectLevelSixteenths / 16;
                    Sint16& o = out[f * outputChannels_ + c];
                    o = Sint16(std::clamp(int(o) + value, -32768, 32767));
                }
                buffer->frame += step;
            }
        }
    }

    bool open_ = false;
    bool mixable_ = false;
    int outputRate_ = 44100;
    int outputChannels_ = 2;
    std::mutex mutex_;
    std::set<MixBuffer*> buffers_;
};

}  // namespace

std::unique_ptr<SoundDevice> MakeSdlSound() { return std::make_unique<SdlSound>(); }

}  // namespace platform
