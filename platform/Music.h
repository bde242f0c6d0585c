// The music service: tunes from Standard MIDI Files, one primary tune looping
// at a time, played on the sound device.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct MusicSegment;       // a loaded tune
struct MusicSegmentState;  // the state of one play of a tune

class Music {
public:
    virtual ~Music() = default;

    virtual bool Start() = 0;                  // the service itself, once per run
    virtual bool CreatePerformance() = 0;
    virtual bool InitialisePerformance() = 0;  // on the sound device
    virtual bool CreateLoader() = 0;
    virtual void SetSearchDirectory(const std::string& directory) = 0;
    virtual bool AddDefaultPort() = 0;

    // Null when the file is missing, not a Standard MIDI File, or one that cannot be played to its end.
    virtual MusicSegment* LoadSegment(const std::string& fileName) = 0;
    virtual bool MarkStandardMidi(MusicSegment* segment) = 0;
    virtual bool DownloadInstruments(MusicSegment* segment) = 0;
    virtual bool UnloadInstruments(MusicSegment* segment) = 0;
    virtual void ReleaseSegment(MusicSegment* segment) = 0;

    virtual void SetLoopPoints(MusicSegment* segment, std::uint32_t start, std::uint32_t end) = 0;  // 0, 0: the whole tune
    virtual void SetRepeats(MusicSegment* segment, std::uint32_t repeats) = 0;
    // As the primary tune, from the next beat; null when it cannot play.
    virtual MusicSegmentState* Play(MusicSegment* segment) = 0;
    virtual void ReleaseState(MusicSegmentState* state) = 0;
    // Stops everything the performance plays, at once or at the next measure.
    virtual bool StopAll(bool atNextMeasure) = 0;

    virtual bool CloseDown() = 0;  // the performance
    virtual void ReleasePerformance() = 0;
    virtual void ReleaseLoader() = 0;
    virtual void Stop() = 0;       // the service, at the end of the run
};

}  // namespace platform
