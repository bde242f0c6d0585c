// One opened disc, played by reading its audio sectors on a worker thread
// into a ring of about two seconds that the audio thread mixes from. Any
// source drives it. The game's queries read what the two threads keep; only
// the open and a seek wait on the disc, each for a bounded time. A close
// leaves the worker to end, and release its source, once the disc answers.
// A worker left behind is waited for once, within the open's patience counted
// from the start of the call it is in; one that outlasts it is stuck, and no
// other worker starts until it ends: a disc that never answers costs one
// thread and one wait, however often it is opened.
#pragma once

#include "DiscSource.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

enum class CdMode;

// How long the game waits on the disc: an open (a drive spinning up; then the
// disc counts as absent), and a seek (a few frames; the sound plays when it comes).
struct DiscPatience {
    std::chrono::milliseconds open{3000}, seek{100};
};

class DiscPlayer {
public:
    static constexpr int kSectorFrames = 588;  // 2,352 bytes of 16-bit stereo at 44.1 kHz
    static constexpr int kRingSectors = 150;   // two seconds read ahead

    using Opener = std::function<std::unique_ptr<DiscSource>()>;

    // Opens the source on the worker and reads its first sound. False when it
    // will not open, has not answered within the patience, or a worker left
    // behind is still stuck; a source without a disc, or whose first sound
    // cannot be read, opens with no media.
    explicit DiscPlayer(DiscPatience patience = {}) : patience_(patience) {}
    bool Open(Opener open);
    // Runs `job` on a worker of its own under the open's patience and rule:
    // false when it has not ended by then, or was not started.
    bool Ask(std::function<void()> job);
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
    struct Worker;
    static void Work(const std::shared_ptr<Session>& session, const Opener& open);
    bool NoneStuck(std::chrono::steady_clock::time_point deadline);

    const DiscPatience patience_;
    std::shared_ptr<Session> session_;
    std::vector<std::shared_ptr<Worker>> behind_;  // workers let go that may not have ended
};

}  // namespace platform
