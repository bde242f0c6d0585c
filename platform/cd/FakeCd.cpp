// The scripted CD player for tests.
#include "FakeCd.h"

#include <cstdio>

namespace platform {
namespace {

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

}  // namespace

void FakeCd::InsertDisc(int tracks) {
    disc_ = tracks > 0;
    tracks_ = disc_ ? tracks : 0;
    position_ = disc_ ? Tmsf(1) : 0;
    if (open_) mode_ = CdMode::Stopped;
}

void FakeCd::RemoveDisc() {
    disc_ = false;
    tracks_ = 0;
    position_ = 0;
    if (open_) mode_ = CdMode::Other;  // the drive's door is open
}

void FakeCd::Fail(CdCall call, bool fail) {
    if (fail)
        failing_.insert(call);
    else
        failing_.erase(call);
}

void FakeCd::AdvanceToTrack(int track) {
    if (!disc_ || track < 1) return;
    if (track > tracks_) {
        position_ = Tmsf(tracks_, 59, 59, 74);  // the end of the last track
        if (mode_ == CdMode::Playing) mode_ = CdMode::Stopped;
        return;
    }
    position_ = Tmsf(track);
}

bool FakeCd::Allowed(CdCall call, const std::string& entry, bool needsDisc) {
    if (!open_) return false;
    log_.push_back(entry);
    return !failing_.contains(call) && (disc_ || !needsDisc);
}

DriveType FakeCd::TypeOfDrive(const std::string& drive) {
    const auto found = drives_.find(drive);
    return found == drives_.end() ? DriveType::NoDrive : found->second;
}

bool FakeCd::Open(const std::string& drive) {
    Close();
    log_.push_back("open " + drive);
    if (failing_.contains(CdCall::Open) || TypeOfDrive(drive) != DriveType::CdRom) {
        error_ = "The specified device is not open or is not recognized.";
        return false;
    }
    error_.clear();
    open_ = true;
    drive_ = drive;
    mode_ = disc_ ? CdMode::Stopped : CdMode::Other;
    return true;
}

void FakeCd::Close() {
    if (!open_) return;
    log_.push_back("close");
    open_ = false;
    drive_.clear();
    mode_ = CdMode::NotOpen;
}

bool FakeCd::MediaPresent(bool& present) {
    present = false;
    if (!Allowed(CdCall::MediaPresent, "media", false)) return false;
    present = disc_;
    return true;
}

bool FakeCd::SetTrackTimeFormat() { return Allowed(CdCall::SetTrackTimeFormat, "tmsf", false); }

bool FakeCd::TrackCount(std::int32_t& count) {
    count = 0;
    if (!Allowed(CdCall::TrackCount, "tracks", true)) return false;
    count = tracks_;
    return true;
}

bool FakeCd::TrackStart(std::int32_t track, std::uint32_t& position) {
    position = 0;
    if (!Allowed(CdCall::TrackStart, "start " + std::to_string(track), true) || track < 1 || track > tracks_)
        return false;
    position = Tmsf(track);
    return true;
}

bool FakeCd::Mode(CdMode& mode) {
    mode = CdMode::NotOpen;
    if (!open_) return true;  // a closed player reads as not open, not as a failure
    if (!Allowed(CdCall::Mode, "mode", false)) return false;
    mode = mode_;
    return true;
}

bool FakeCd::Position(std::uint32_t& position) {
    position = 0;
    if (!Allowed(CdCall::Position, "position", true)) return false;
    position = position_;
    return true;
}

bool FakeCd::Seek(std::uint32_t position) {
    const int track = TmsfTrack(position);
    if (!Allowed(CdCall::Seek, "seek " + Hex(position), true) || track < 1 || track > tracks_) return false;
    position_ = position;
    mode_ = CdMode::Stopped;
    return true;
}

bool FakeCd::Play() {
    if (!Allowed(CdCall::Play, "play", true)) return false;
    mode_ = CdMode::Playing;
    return true;
}

bool FakeCd::Stop() {
    if (!Allowed(CdCall::Stop, "stop", false)) return false;
    if (mode_ == CdMode::Playing) mode_ = CdMode::Stopped;
    return true;
}

}  // namespace platform
