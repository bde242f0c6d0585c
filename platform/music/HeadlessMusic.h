// Music for tests: nothing sounds, every call is recorded, and any step can be
// refused. Tunes load only from Standard MIDI Files in the search directory.
#pragma once

#include "Music.h"

#include <set>
#include <string>
#include <type_traits>
#include <vector>

namespace platform {

// The steps a music service can be told to refuse for a test.
enum class MusicStep {
    Start, CreatePerformance, InitialisePerformance, CreateLoader, AddDefaultPort,
    LoadSegment, MarkStandardMidi, DownloadInstruments, UnloadInstruments, StopAll, CloseDown,
};

class HeadlessMusic final : public Music {
public:
    ~HeadlessMusic() override;

    void Refuse(MusicStep step, bool refuse = true);

    // One entry a call, e.g. "LoadSegment Start.mid", "SetRepeats Start.mid 65536",
    // "StopAll measure", "StopAll now"; a null segment reads as "none".
    const std::vector<std::string>& Calls() const { return calls_; }
    // Off for long runs (counting allocations): the log only grows.
    void KeepLog(bool keep) { keepLog_ = keep; }
    const std::string& SearchDirectory() const { return searchDirectory_; }
    std::string Playing() const;  // the tune's file; empty when silent
    std::size_t LiveSegments() const { return segments_.size(); }
    std::size_t LiveStates() const { return states_.size(); }

    bool Start() override;
    bool CreatePerformance() override;
    bool InitialisePerformance() override;
    bool CreateLoader() override;
    void SetSearchDirectory(const std::string& directory) override;
    bool AddDefaultPort() override;

    MusicSegment* LoadSegment(const std::string& fileName) override;
    TuneRefusal LastRefusal() const override { return refusal_; }
    bool MarkStandardMidi(MusicSegment* segment) override;
    bool DownloadInstruments(MusicSegment* segment) override;
    bool UnloadInstruments(MusicSegment* segment) override;
    void ReleaseSegment(MusicSegment* segment) override;

    void SetLoopPoints(MusicSegment* segment, std::uint32_t start, std::uint32_t end) override;
    void SetRepeats(MusicSegment* segment, std::uint32_t repeats) override;
    MusicSegmentState* Play(MusicSegment* segment) override;
    void ReleaseState(MusicSegmentState* state) override;
    bool StopAll(bool atNextMeasure) override;

    bool CloseDown() override;
    void ReleasePerformance() override;
    void ReleaseLoader() override;
    void Stop() override;

private:
    // Records the call (its text made only while the log is kept); false when the step is refused.
    template <class Call>
    bool Step(MusicStep step, Call&& call) {
        Note(call);
        return !refused_.contains(step);
    }
    template <class Call>
    void Note(Call&& call) {
        if (!keepLog_) return;
        if constexpr (std::is_invocable_v<Call>)
            calls_.push_back(call());
        else
            calls_.push_back(call);
    }
    MusicSegment* Known(MusicSegment* segment) const;
    std::string NameOf(MusicSegment* segment) const;

    std::set<MusicStep> refused_;
    std::vector<std::string> calls_;
    bool keepLog_ = true;
    std::string searchDirectory_;
    TuneRefusal refusal_ = TuneRefusal::Unplayable;
    MusicSegment* playing_ = nullptr;
    std::set<MusicSegment*> segments_;
    std::set<MusicSegmentState*> states_;
};

}  // namespace platform
