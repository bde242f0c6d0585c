#include "HeadlessSound.h"

#include "WaveParser.h"

#include <algorithm>

namespace platform {

HeadlessSound::~HeadlessSound() {
    for (Buffer* buffer : buffers_) delete buffer;
}

void HeadlessSound::Refuse(SoundStep step, int afterSuccesses) {
    countedStep_ = step;
    successesLeft_ = afterSuccesses;
}

void HeadlessSound::Lose(SoundBuffer* buffer) {
    if (buffer) static_cast<Buffer*>(buffer)->lost = true;
}

void HeadlessSound::PlayOn(SoundBuffer* buffer, std::uint32_t bytes) {
    Buffer* ours = Own(buffer);
    if (!ours || !ours->playing) return;
    const std::uint64_t size = ours->bytes ? ours->bytes->size() : 0;
    std::uint64_t at = std::uint64_t{ours->position} + bytes;
    if (at >= size && ours->looping && size > 0) {
        at %= size;
    } else if (at >= size) {
        at = size;
        ours->playing = false;
    }
    ours->position = static_cast<std::uint32_t>(at);
}

bool HeadlessSound::Allowed(SoundStep step, const char* what) {
    Note(what);
    if (refused_.count(step)) return false;
    if (successesLeft_ >= 0 && step == countedStep_) {
        if (successesLeft_ == 0) return false;
        --successesLeft_;
    }
    return true;
}

HeadlessSound::Buffer* HeadlessSound::Own(SoundBuffer* buffer) {
    auto* ours = static_cast<Buffer*>(buffer);
    return buffers_.count(ours) ? ours : nullptr;
}

bool HeadlessSound::CreateDevice() { return device_ = Allowed(SoundStep::CreateDevice, "create device"); }
bool HeadlessSound::SetPriorityLevel() { return device_ && Allowed(SoundStep::SetPriorityLevel, "priority level"); }
bool HeadlessSound::SetSpeakersMono() { return device_ && Allowed(SoundStep::SetSpeakersMono, "speakers mono"); }

SoundBuffer* HeadlessSound::CreatePrimaryBuffer() {
    if (!device_ || !Allowed(SoundStep::CreatePrimaryBuffer, "create primary")) return nullptr;
    auto* buffer = new Buffer;
    buffer->primary = true;
    buffers_.insert(buffer);
    return buffer;
}

bool HeadlessSound::SetPrimaryFormat(SoundBuffer* primary, const PrimaryFormat&) {
    return Own(primary) && Allowed(SoundStep::SetPrimaryFormat, "primary format");
}

void HeadlessSound::ReleaseDevice() {
    Note("release device");
    for (Buffer* buffer : buffers_) delete buffer;
    buffers_.clear();
    device_ = false;
}

SoundBuffer* HeadlessSound::CreateBuffer(const BufferRequest& request) {
    if (!device_ || !Allowed(SoundStep::CreateBuffer, "create buffer")) return nullptr;
    if (!request.format || request.bytes == 0) return nullptr;
    const WaveFormat format = ReadWaveFormat(request.format, request.formatBytes);
    if (request.formatBytes < 14 || !IsPlayableFormat(format)) return nullptr;

    auto* buffer = new Buffer;
    const std::uint8_t silence = format.bitsPerSample == 8 ? 0x80 : 0x00;
    buffer->bytes = std::make_shared<std::vector<std::uint8_t>>(request.bytes, silence);
    buffer->format.assign(request.format, request.format + request.formatBytes);
    buffers_.insert(buffer);
    return buffer;
}

SoundBuffer* HeadlessSound::Duplicate(SoundBuffer* original) {
    Buffer* source = Own(original);
    if (!source || !Allowed(SoundStep::Duplicate, "duplicate")) return nullptr;
    auto* buffer = new Buffer;
    buffer->bytes = source->bytes;
    buffer->format = source->format;
    buffers_.insert(buffer);
    return buffer;
}

SoundResult HeadlessSound::Lock(SoundBuffer* buffer, std::uint32_t offset, std::uint32_t bytes,
                                LockedRegions& regions) {
    regions = {};
    Buffer* ours = Own(buffer);
    if (!ours || !ours->bytes || !Allowed(SoundStep::Lock, "lock")) return SoundResult::Failed;
    if (ours->lost) return SoundResult::BufferLost;
    std::vector<std::uint8_t>& data = *ours->bytes;
    if (offset >= data.size()) return SoundResult::Failed;
    bytes = std::min<std::uint32_t>(bytes, static_cast<std::uint32_t>(data.size()));
    regions.first = data.data() + offset;
    regions.firstBytes = std::min<std::uint32_t>(bytes, static_cast<std::uint32_t>(data.size() - offset));
    if (regions.firstBytes < bytes) {  // the range wraps round to the start
        regions.second = data.data();
        regions.secondBytes = bytes - regions.firstBytes;
    }
    return SoundResult::Ok;
}

void HeadlessSound::Unlock(SoundBuffer* buffer, const LockedRegions&) {
    if (Own(buffer)) Note("unlock");
}

bool HeadlessSound::Restore(SoundBuffer* buffer) {
    Buffer* ours = Own(buffer);
    if (!ours) return false;
    Note("restore");
    ours->lost = false;
    return true;
}

void HeadlessSound::SetPosition(SoundBuffer* buffer, std::uint32_t position) {
    if (Buffer* ours = Own(buffer)) ours->position = position;
}

SoundResult HeadlessSound::Play(SoundBuffer* buffer, bool looping) {
    Buffer* ours = Own(buffer);
    if (!ours || !Allowed(SoundStep::Play, looping ? "play looping" : "play")) return SoundResult::Failed;
    if (ours->lost) return SoundResult::BufferLost;
    ours->playing = true;
    ours->looping = looping;
    ++ours->plays;
    return SoundResult::Ok;
}

void HeadlessSound::Stop(SoundBuffer* buffer) {
    if (Buffer* ours = Own(buffer)) ours->playing = false;
}

void HeadlessSound::Release(SoundBuffer* buffer) {
    if (Buffer* ours = Own(buffer)) {
        buffers_.erase(ours);
        delete ours;
    }
}

}  // namespace platform
