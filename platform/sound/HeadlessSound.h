// A sound device with no sound: it keeps every buffer's bytes and playing
// state for tests to read, and refuses whichever step it is told to.
#pragma once

#include "SoundDevice.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace platform {

// The steps a device can be told to refuse for a test.
enum class SoundStep {
    CreateDevice, SetPriorityLevel, SetSpeakersMono, CreatePrimaryBuffer, SetPrimaryFormat,
    CreateBuffer, Duplicate, Lock, Play,
};

class HeadlessSound : public SoundDevice {
public:
    struct Buffer : SoundBuffer {
        std::shared_ptr<std::vector<std::uint8_t>> bytes;  // shared by duplicates
        std::vector<std::uint8_t> format;
        std::uint32_t position = 0;
        bool playing = false;
        bool looping = false;
        bool lost = false;
        int plays = 0;
        bool primary = false;
    };

    ~HeadlessSound() override;

    void Refuse(SoundStep step) { refused_.insert(step); }
    void Allow(SoundStep step) { refused_.erase(step); }
    void Refuse(SoundStep step, int afterSuccesses);  // the (n+1)-th call of the step fails
    static void Lose(SoundBuffer* buffer);             // the next lock or play reports it lost
    // The device plays on: a playing buffer's position moves on by `bytes`,
    // wrapping when it loops, stopping at its end when it does not.
    void PlayOn(SoundBuffer* buffer, std::uint32_t bytes);

    bool DeviceExists() const { return device_; }
    int LiveBuffers() const { return static_cast<int>(buffers_.size()); }
    static const Buffer* Inspect(const SoundBuffer* buffer) { return static_cast<const Buffer*>(buffer); }
    const std::vector<std::string>& Log() const { return log_; }
    // Off for long runs (benchmarks, counting allocations): the log only grows.
    void KeepLog(bool keep) { keepLog_ = keep; }

    bool CreateDevice() override;
    bool SetPriorityLevel() override;
    bool SetSpeakersMono() override;
    SoundBuffer* CreatePrimaryBuffer() override;
    bool SetPrimaryFormat(SoundBuffer* primary, const PrimaryFormat& format) override;
    void ReleaseDevice() override;
    SoundBuffer* CreateBuffer(const BufferRequest& request) override;
    SoundBuffer* Duplicate(SoundBuffer* original) override;
    SoundResult Lock(SoundBuffer* buffer, std::uint32_t offset, std::uint32_t bytes, LockedRegions& regions) override;
    void Unlock(SoundBuffer* buffer, const LockedRegions& regions) override;
    bool Restore(SoundBuffer* buffer) override;
    void SetPosition(SoundBuffer* buffer, std::uint32_t position) override;
    SoundResult Play(SoundBuffer* buffer, bool looping) override;
    void Stop(SoundBuffer* buffer) override;
    void Release(SoundBuffer* buffer) override;

private:
    bool Allowed(SoundStep step, const char* what);
    void Note(const char* what) {
        if (keepLog_) log_.push_back(what);
    }
    Buffer* Own(SoundBuffer* buffer);  // null unless it is one of ours

    bool device_ = false;
    std::set<SoundStep> refused_;
    SoundStep countedStep_{};
    int successesLeft_ = -1;
    std::set<Buffer*> buffers_;
    std::vector<std::string> log_;
    bool keepLog_ = true;
};

}  // namespace platform
