// The music service: tunes from Standard MIDI Files, one primary tune looping
// at a time, played on the sound device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

struct MusicSegment;       // a loaded tune
struct MusicSegmentState;  // the state of one play of a tune

// The largest tune file loaded. The synthesiser reads a tune on the audio
// thread as it starts: one this large already holds the sound up about 70 ms.
inline constexpr std::size_t kMaxTuneFileBytes = 8u << 20;
inline constexpr int kMaxTuneFileMiB = kMaxTuneFileBytes >> 20;

// Why the last tune was not loaded.
enum class TuneRefusal {
    Unplayable,  // missing, unreadable, or not a Standard MIDI File this back end plays to its end
    TooLarge,    // over kMaxTuneFileBytes
};

class Music {
public:
    virtual ~Music() = default;

    // The steps below with a body do nothing by default: a back end writes
    // only the ones it needs.
    virtual bool Start() { return true; }  // the service itself, once per run
    virtual bool CreatePerformance() { return true; }
    virtual bool InitialisePerformance() { return true; }  // on the sound device
    virtual bool CreateLoader() { return true; }
    virtual void SetSearchDirectory(const std::string& directory) = 0;
    virtual bool AddDefaultPort() { return true; }

    // Null when the file is missing or not a tune this back end can play to its end.
    virtual MusicSegment* LoadSegment(const std::string& fileName) = 0;
    virtual TuneRefusal LastRefusal() const { return TuneRefusal::Unplayable; }
    // A back end whose synthesiser holds every instrument has nothing to mark or download.
    virtual bool MarkStandardMidi(MusicSegment* segment) { return segment != nullptr; }
    virtual bool DownloadInstruments(MusicSegment* segment) { return segment != nullptr; }
    virtual bool UnloadInstruments(MusicSegment* segment) { return segment != nullptr; }
    virtual void ReleaseSegment(MusicSegment* segment) = 0;

    virtual void SetLoopPoints(MusicSegment* segment, std::uint32_t start, std::uint32_t end) = 0;  // 0, 0: the whole tune
    virtual void SetRepeats(MusicSegment* segment, std::uint32_t repeats) = 0;
    // As the primary tune, from the next beat; null when it cannot play.
    virtual MusicSegmentState* Play(MusicSegment* segment) = 0;
    virtual void ReleaseState(MusicSegmentState* state) = 0;
    // Stops everything the performance plays, at once or at the next measure.
    virtual bool StopAll(bool atNextMeasure) = 0;

    virtual bool CloseDown() = 0;  // the performance
    virtual void ReleasePerformance() {}
    virtual void ReleaseLoader() {}
    virtual void Stop() {}  // the service, at the end of the run
};

}  // namespace platform
