// One opened audio disc, in a drive or as a BIN/CUE image, played by reading
// its audio sectors on a worker thread into a ring of about two seconds that
// the audio thread mixes from. The queries the game makes every frame read
// what the two threads keep; only opening and seeking wait on the disc.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct _CdIo;

namespace platform {

enum class CdMode;

// The tracks of a disc by logical sector number. A track runs from its
// pregap (INDEX 00) where the disc has one, so the pregap counts with the
// track it leads into, to the next track's run; it is heard from INDEX 01.
struct DiscToc {
    static constexpr int kMaxTracks = 99;
    int count = 0;                                       // tracks 1 .. count
    std::array<std::int32_t, kMaxTracks + 2> run{};      // first sector counted with the track
    std::array<std::int32_t, kMaxTracks + 2> index1{};   // first sector of its audio: its position 0
    std::array<bool, kMaxTracks + 2> audio{};            // a data track plays as silence
    std::int32_t leadOut = 0;                            // one past the last sector

    // Tracks/minutes/seconds/frames of a sector (frames are sectors); 0 minutes,
    // 0 seconds, 0 frames within a pregap.
    std::uint32_t Tmsf(std::int32_t sector) const;
    // The sector a position names; false when it lies off the disc.
    bool SectorOf(std::uint32_t tmsf, std::int32_t& sector) const;
    int TrackOf(std::int32_t sector) const;
};

// Reads the table of contents; false when the disc has none that holds together.
bool ReadToc(_CdIo* disc, DiscToc& toc);

class DiscPlayer {
public:
    static constexpr int kSectorFrames = 588;  // 2,352 bytes of 16-bit stereo at 44.1 kHz
    static constexpr int kRingSectors = 150;   // two seconds read ahead

    // Opens a drive (a device file) or an image (its .cue or .bin). False when
    // it will not open; a drive without a disc opens, with no media.
    bool Open(const std::string& source);
    // Stops the worker and releases the disc without waiting for a read the
    // worker is in; the next open, or the end, waits for that.
    void Close();
    ~DiscPlayer() {
        Close();
        FinishClosing();
    }

    bool IsOpen() const { return open_; }
    bool MediaPresent() const { return present_.load(std::memory_order_relaxed); }
    CdMode Mode() const;
    std::uint32_t Position() const { return toc_.Tmsf(heard_.load(std::memory_order_relaxed)); }
    const DiscToc& Toc() const { return toc_; }

    bool Seek(std::uint32_t tmsf);  // returns once audio is buffered from there
    bool Play();
    bool Stop();

    // On the audio thread: adds the disc's sound to 16-bit stereo samples.
    void MixInto(std::int16_t* stream, int samples);

private:
    struct Sector {
        std::int32_t number = 0;
        std::array<std::int16_t, 2 * kSectorFrames> samples{};
    };
    struct WatchedFile {
        std::string path;
        std::uint64_t device = 0, inode = 0;
    };

    void Work();
    bool StillThere();
    void FinishClosing();  // waits for the last close's worker and disc
    void Lose();  // the disc went away: no media, silence, until the next open
    bool ReadRun(std::int32_t first, int sectors, std::vector<std::uint8_t>& bytes);

    bool open_ = false;    // the game's side: opened and not closed
    _CdIo* disc_ = nullptr;  // until the close's thread has released it
    bool drive_ = false;  // a device file, not an image
    int driveRefusals_ = 0;  // status checks in a row the drive did not pass (the worker's)
    std::vector<WatchedFile> files_;
    DiscToc toc_;
    std::thread worker_;
    std::thread closer_;  // joins the worker and releases the disc after a close

    // Read by the game thread every frame.
    std::atomic<bool> present_{false};
    std::atomic<int> mode_{0};
    std::atomic<std::int32_t> heard_{0};

    // The ring and the play, shared by the three threads.
    std::mutex mutex_;
    std::condition_variable wake_;      // the worker: room in the ring, a seek, the close
    std::condition_variable buffered_;  // a seek: sound in the ring
    std::array<Sector, kRingSectors> ring_;
    int first_ = 0, filled_ = 0, frame_ = 0;  // oldest sector, sectors held, frames of it mixed
    std::int32_t next_ = 0;                  // the next sector to read
    std::uint32_t generation_ = 0;           // a seek drops reads begun before it
    bool playing_ = false;
    bool quit_ = false;
};

}  // namespace platform
