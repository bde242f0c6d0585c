#include "HeadlessMusic.h"

#include "BoundedRead.h"
#include "MusicSegment.h"

#include <cstring>
#include <filesystem>
#include <vector>

namespace platform {
namespace {

// Nothing sounds here, so any file with a Standard MIDI File's header loads:
// every tune a real back end plays, and more.
bool HasMidiHeader(const std::string& path) {
    std::vector<std::uint8_t> header;
    return ReadFilePrefix(path, 14, header) && header.size() == 14 && std::memcmp(header.data(), "MThd", 4) == 0 &&
           header[7] == 6;
}

}  // namespace

HeadlessMusic::~HeadlessMusic() {
    for (MusicSegment* segment : segments_) delete segment;
    for (MusicSegmentState* state : states_) delete state;
}

std::string HeadlessMusic::Playing() const { return playing_ ? playing_->file : ""; }

void HeadlessMusic::Refuse(MusicStep step, bool refuse) {
    if (refuse)
        refused_.insert(step);
    else
        refused_.erase(step);
}

MusicSegment* HeadlessMusic::Known(MusicSegment* segment) const {
    return segments_.contains(segment) ? segment : nullptr;
}

std::string HeadlessMusic::NameOf(MusicSegment* segment) const {
    return Known(segment) ? segment->file : "none";
}

bool HeadlessMusic::Start() { return Step(MusicStep::Start, "Start"); }
bool HeadlessMusic::CreatePerformance() { return Step(MusicStep::CreatePerformance, "CreatePerformance"); }
bool HeadlessMusic::InitialisePerformance() { return Step(MusicStep::InitialisePerformance, "InitialisePerformance"); }
bool HeadlessMusic::CreateLoader() { return Step(MusicStep::CreateLoader, "CreateLoader"); }

void HeadlessMusic::SetSearchDirectory(const std::string& directory) {
    Note([&] { return "SetSearchDirectory " + directory; });
    searchDirectory_ = directory;
}

bool HeadlessMusic::AddDefaultPort() { return Step(MusicStep::AddDefaultPort, "AddDefaultPort"); }

MusicSegment* HeadlessMusic::LoadSegment(const std::string& fileName) {
    refusal_ = TuneRefusal::Unplayable;
    if (!Step(MusicStep::LoadSegment, [&] { return "LoadSegment " + fileName; })) return nullptr;
    const std::string path = JoinPath(searchDirectory_, fileName);
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!error && size > kMaxTuneFileBytes) refusal_ = TuneRefusal::TooLarge;
    if (refusal_ == TuneRefusal::TooLarge || !HasMidiHeader(path)) return nullptr;
    auto* segment = new MusicSegment{.file = fileName};
    segments_.insert(segment);
    return segment;
}

bool HeadlessMusic::MarkStandardMidi(MusicSegment* segment) {
    return Step(MusicStep::MarkStandardMidi, [&] { return "MarkStandardMidi " + NameOf(segment); }) && Known(segment);
}

bool HeadlessMusic::DownloadInstruments(MusicSegment* segment) {
    return Step(MusicStep::DownloadInstruments, [&] { return "DownloadInstruments " + NameOf(segment); }) &&
           Known(segment);
}

bool HeadlessMusic::UnloadInstruments(MusicSegment* segment) {
    return Step(MusicStep::UnloadInstruments, [&] { return "UnloadInstruments " + NameOf(segment); }) && Known(segment);
}

void HeadlessMusic::ReleaseSegment(MusicSegment* segment) {
    Note([&] { return "ReleaseSegment " + NameOf(segment); });
    if (!Known(segment)) return;
    segments_.erase(segment);
    if (playing_ == segment) playing_ = nullptr;
    delete segment;
}

void HeadlessMusic::SetLoopPoints(MusicSegment* segment, std::uint32_t start, std::uint32_t end) {
    Note([&] { return "SetLoopPoints " + NameOf(segment) + " " + std::to_string(start) + " " + std::to_string(end); });
    if (!Known(segment)) return;
    segment->loopStart = start;
    segment->loopEnd = end;
}

void HeadlessMusic::SetRepeats(MusicSegment* segment, std::uint32_t repeats) {
    Note([&] { return "SetRepeats " + NameOf(segment) + " " + std::to_string(repeats); });
    if (Known(segment)) segment->repeats = repeats;
}

MusicSegmentState* HeadlessMusic::Play(MusicSegment* segment) {
    Note([&] { return "Play " + NameOf(segment); });
    if (!Known(segment)) return nullptr;
    playing_ = segment;
    auto* state = new MusicSegmentState{segment};
    states_.insert(state);
    return state;
}

void HeadlessMusic::ReleaseState(MusicSegmentState* state) {
    Note("ReleaseState");
    if (states_.erase(state)) delete state;
}

bool HeadlessMusic::StopAll(bool atNextMeasure) {
    if (!Step(MusicStep::StopAll, [&] { return atNextMeasure ? "StopAll measure" : "StopAll now"; })) return false;
    playing_ = nullptr;
    return true;
}

bool HeadlessMusic::CloseDown() {
    if (!Step(MusicStep::CloseDown, "CloseDown")) return false;
    playing_ = nullptr;
    return true;
}

void HeadlessMusic::ReleasePerformance() { Note("ReleasePerformance"); }
void HeadlessMusic::ReleaseLoader() { Note("ReleaseLoader"); }
void HeadlessMusic::Stop() { Note("Stop"); }

}  // namespace platform
