// One opened disc, played by reading its audio sectors on a worker thread
// into a ring of about two seconds that the audio thread mixes from. Any
// source drives it. The game's queries read what the two threads keep; only
// the open and a seek wait on the disc, each for a bounded time. Nothing ever
// waits for the worker: a close leaves it to end, and release its source,
// once the disc answers, and the next open starts a fresh one.
#pragma once

#include "DiscSource.h"

#include <cstdint>
#include <memory>

namespace platform {

enum class CdMode;

class DiscPlayer {
public:
    static constexpr int kSectorFrames = 588;  // 2,352 bytes of 16-bit stereo at 44.1 kHz
    static constexpr int kRingSectors = 150;   // two seconds read ahead

    using Opener = std::function<std::unique_ptr<DiscSource>()>;

    // Opens the source on the worker and reads its first sound. False when it
    // will not open or has not answered within a second; a source without a
    // disc, or whose first sound cannot be read, opens with no media.
    bool Open(Opener open);
    void Close();
    ~DiscPlayer() { Close(); }

    bool IsOpen() const { return session_ != nullptr; }
    // While the disc plays, each call has the worker check the disc once:
    // the answer follows within a frame.
    bool MediaPresent();
    bool Present() const;  // the last answer, asking nothing
    CdMode Mode() const;
    std::uint32_t Position() const;
    const DiscToc& Toc() const;

    // Returns once sound from there is buffered; false when off the disc, or
    // when the sound is not there within a few frames (it plays when it comes).
    bool Seek(std::uint32_t tmsf);
    bool Play();
    bool Stop();

    // On the audio thread: adds the disc's sound to 16-bit stereo samples.
    void MixInto(std::int16_t* stream, int samples);

private:
    struct Session;
    static void Work(const std::shared_ptr<Session>& session, const Opener& open);

    std::shared_ptr<Session> session_;
};

}  // namespace platform
