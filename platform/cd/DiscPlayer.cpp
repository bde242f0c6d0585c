#include "DiscPlayer.h"

#include "CdAudio.h"
#include "ImageCheck.h"

#include <cdio/cdio.h>
#include <cdio/mmc_ll_cmds.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <system_error>

namespace platform {
namespace {

using namespace std::chrono_literals;

constexpr int kSecondSectors = 75;
constexpr int kReadSectors = 16;            // one read: a fifth of a second
constexpr int kSeekSectors = 38;            // a seek returns with half a second buffered
constexpr auto kSeekPatience = 10s;         // a drive spinning up takes a few
constexpr auto kWatchPeriod = 15ms;         // the disc's check while nothing is read
constexpr unsigned kDriveAskMs = 2000;      // a drive that does not answer its status in this is gone
constexpr int kGainShift = 3;               // the disc at an eighth: about the tunes' level for a usual master

bool Stat(const std::string& path, std::uint64_t& device, std::uint64_t& inode) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    device = info.st_dev;
    inode = info.st_ino;
    return true;
}

std::int16_t Saturate(int value) { return static_cast<std::int16_t>(std::clamp(value, -32768, 32767)); }

}  // namespace

int DiscToc::TrackOf(std::int32_t sector) const {
    int track = 1;
    while (track < count && run[track + 1] <= sector) ++track;
    return track;
}

std::uint32_t DiscToc::Tmsf(std::int32_t sector) const {
    if (count == 0) return 0;
    const int track = TrackOf(sector);
    const std::int32_t into = std::max(0, sector - index1[track]);
    const std::uint32_t minutes = std::min(into / (60 * kSecondSectors), 255);
    const std::uint32_t seconds = into / kSecondSectors % 60, frames = into % kSecondSectors;
    return std::uint32_t(track) | minutes << 8 | seconds << 16 | frames << 24;
}

bool DiscToc::SectorOf(std::uint32_t tmsf, std::int32_t& sector) const {
    const int track = static_cast<int>(tmsf & 0xFF);
    const int minutes = (tmsf >> 8) & 0xFF, seconds = (tmsf >> 16) & 0xFF, frames = (tmsf >> 24) & 0xFF;
    if (track < 1 || track > count || seconds >= 60 || frames >= kSecondSectors) return false;
    sector = index1[track] + (minutes * 60 + seconds) * kSecondSectors + frames;
    return sector < leadOut;
}

bool ReadToc(CdIo_t* disc, DiscToc& toc) {
    toc = {};
    const track_t first = cdio_get_first_track_num(disc), count = cdio_get_num_tracks(disc);
    // Tracks are numbered from 1 on every disc the game knows; others are not played.
    if (first != 1 || count == CDIO_INVALID_TRACK || count < 1 || count > DiscToc::kMaxTracks) return false;
    toc.count = count;
    toc.leadOut = cdio_get_track_lsn(disc, CDIO_CDROM_LEADOUT_TRACK);
    std::int32_t previous = -1;
    for (int track = 1; track <= count; ++track) {
        const std::int32_t start = cdio_get_track_lsn(disc, static_cast<track_t>(track));
        const std::int32_t pregap = cdio_get_track_pregap_lsn(disc, static_cast<track_t>(track));
        if (start == CDIO_INVALID_LSN || start <= previous) return false;
        toc.index1[track] = start;
        toc.run[track] = pregap != CDIO_INVALID_LSN && pregap > previous && pregap <= start ? pregap : start;
        toc.audio[track] = cdio_get_track_format(disc, static_cast<track_t>(track)) == TRACK_FORMAT_AUDIO;
        previous = start;
    }
    toc.run[1] = std::min(toc.run[1], toc.index1[1]);
    return toc.index1[1] >= 0 && toc.leadOut != CDIO_INVALID_LSN && toc.leadOut > previous;
}

bool DiscPlayer::Open(const std::string& source) {
    Close();
    FinishClosing();
    const CheckedSource checked = CheckSource(source);
    if (checked.kind == CheckedSource::Refused) return false;
    drive_ = checked.kind == CheckedSource::Drive;
    disc_ = drive_ ? cdio_open(checked.path.c_str(), DRIVER_DEVICE) : cdio_open_cue(checked.path.c_str());
    if (!disc_) return false;

    bool present = ReadToc(disc_, toc_);
    // libcdio keeps an image open and never notices it going: the worker
    // watches its files instead.
    for (const std::string& path : checked.files) {
        WatchedFile file{path};
        if (!Stat(file.path, file.device, file.inode)) present = false;
        files_.push_back(file);
    }
    // A disc whose first sound cannot be read (a drive that refuses reads) is no disc.
    std::array<std::uint8_t, CDIO_CD_FRAMESIZE_RAW> sector{};
    for (int track = 1; present && track <= toc_.count; ++track)
        if (toc_.audio[track]) {
            present = cdio_read_audio_sectors(disc_, sector.data(), toc_.index1[track], 1) == DRIVER_OP_SUCCESS;
            break;
        }
    if (!present) toc_ = {};
    driveRefusals_ = 0;

    first_ = filled_ = frame_ = 0;
    next_ = toc_.count ? toc_.index1[1] : 0;
    heard_ = next_;
    playing_ = quit_ = false;
    present_ = present;
    mode_ = static_cast<int>(present ? CdMode::Stopped : CdMode::Other);
    worker_ = std::thread(&DiscPlayer::Work, this);
    open_ = true;
    return true;
}

void DiscPlayer::Close() {
    if (!open_) return;
    open_ = false;
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        playing_ = false;
    }
    wake_.notify_all();
    present_ = false;
    mode_ = static_cast<int>(CdMode::NotOpen);
    // A drive may be in the middle of a read, or of a status check that can
    // take seconds, and a close comes in a fight's frame: the worker is joined
    // and the disc released on a thread of their own, which the next open and
    // the player's end wait for.
    try {
        closer_ = std::thread([this] {
            worker_.join();
            cdio_destroy(disc_);
        });
    } catch (const std::system_error&) {
        worker_.join();
        cdio_destroy(disc_);
    }
}

void DiscPlayer::FinishClosing() {
    if (closer_.joinable()) closer_.join();
    disc_ = nullptr;
    files_.clear();
    toc_ = {};
}

CdMode DiscPlayer::Mode() const { return static_cast<CdMode>(mode_.load(std::memory_order_relaxed)); }

bool DiscPlayer::Seek(std::uint32_t tmsf) {
    std::int32_t sector = 0;
    if (!open_ || !present_ || !toc_.SectorOf(tmsf, sector)) return false;
    std::unique_lock lock(mutex_);
    ++generation_;
    first_ = filled_ = frame_ = 0;
    next_ = sector;
    playing_ = false;
    heard_ = sector;
    mode_ = static_cast<int>(CdMode::Stopped);
    wake_.notify_all();
    const int wanted = std::min(kSeekSectors, toc_.leadOut - sector);
    return buffered_.wait_for(lock, kSeekPatience, [&] { return filled_ >= wanted || !present_; }) && present_;
}

bool DiscPlayer::Play() {
    if (!open_ || !present_) return false;
    std::lock_guard lock(mutex_);
    if (filled_ == 0 && next_ >= toc_.leadOut) return true;  // at the end: nothing left to hear
    playing_ = true;
    mode_ = static_cast<int>(CdMode::Playing);
    return true;
}

bool DiscPlayer::Stop() {
    if (!open_) return false;
    std::lock_guard lock(mutex_);
    playing_ = false;
    if (Mode() == CdMode::Playing) mode_ = static_cast<int>(CdMode::Stopped);
    return true;
}

void DiscPlayer::MixInto(std::int16_t* stream, int samples) {
    std::lock_guard lock(mutex_);
    if (!playing_) return;
    for (int at = 0; at < samples;) {
        if (filled_ == 0) {
            if (next_ >= toc_.leadOut) {  // the last sector has been heard
                playing_ = false;
                mode_ = static_cast<int>(CdMode::Stopped);
            }
            return;  // otherwise the worker is behind: a moment of silence
        }
        const Sector& sector = ring_[first_];
        heard_.store(sector.number, std::memory_order_relaxed);
        const int count = std::min(samples - at, 2 * (kSectorFrames - frame_));
        const std::int16_t* from = sector.samples.data() + 2 * frame_;
        for (int i = 0; i < count; ++i, ++at) stream[at] = Saturate(stream[at] + (from[i] >> kGainShift));
        frame_ += count / 2;
        if (frame_ == kSectorFrames) {
            frame_ = 0;
            first_ = (first_ + 1) % kRingSectors;
            if (--filled_ == kRingSectors - kReadSectors) wake_.notify_one();
        }
    }
}

bool DiscPlayer::StillThere() {
    if (drive_) {
        // A drive that cannot be asked is judged by its reads alone. The first
        // answer after a disc goes in may be a one-off "medium changed": two
        // refusals in a row are a disc gone.
        const driver_return_code_t answer = mmc_test_unit_ready(disc_, kDriveAskMs);
        const bool ready = answer == DRIVER_OP_SUCCESS || answer == DRIVER_OP_UNSUPPORTED ||
                           answer == DRIVER_OP_NOT_PERMITTED;
        driveRefusals_ = ready ? 0 : driveRefusals_ + 1;
        return driveRefusals_ < 2;
    }
    for (const WatchedFile& file : files_) {
        std::uint64_t device = 0, inode = 0;
        if (!Stat(file.path, device, inode) || device != file.device || inode != file.inode) return false;
    }
    return true;
}

void DiscPlayer::Lose() {
    std::lock_guard lock(mutex_);
    if (quit_) return;  // closed meanwhile: the close has the last word
    present_ = false;
    playing_ = false;
    filled_ = frame_ = 0;
    mode_ = static_cast<int>(CdMode::Other);  // as a drive with its door open
    buffered_.notify_all();
}

bool DiscPlayer::ReadRun(std::int32_t first, int sectors, std::vector<std::uint8_t>& bytes) {
    const int track = toc_.TrackOf(first);
    if (!toc_.audio[track]) {  // a data track keeps its time in silence
        std::fill_n(bytes.begin(), sectors * CDIO_CD_FRAMESIZE_RAW, 0);
        return true;
    }
    if (cdio_read_audio_sectors(disc_, bytes.data(), first, static_cast<unsigned>(sectors)) == DRIVER_OP_SUCCESS)
        return true;
    // One more try for a drive's passing hiccup; a second failure is a disc gone.
    return drive_ &&
           cdio_read_audio_sectors(disc_, bytes.data(), first, static_cast<unsigned>(sectors)) == DRIVER_OP_SUCCESS;
}

void DiscPlayer::Work() {
    std::vector<std::uint8_t> bytes(kReadSectors * CDIO_CD_FRAMESIZE_RAW);
    std::unique_lock lock(mutex_);
    while (!quit_) {
        // Reads are whole runs of sectors (or the rest of a track's run), so
        // the worker waits for room for one; a wait that ends without it only
        // checks the disc.
        const bool wanted = present_ && filled_ <= kRingSectors - kReadSectors && next_ < toc_.leadOut;
        if (!wanted) wake_.wait_for(lock, kWatchPeriod);
        if (quit_) break;
        if (!present_) continue;

        const std::int32_t first = next_;
        const int track = toc_.TrackOf(first);
        const std::int32_t runEnd = track < toc_.count ? toc_.run[track + 1] : toc_.leadOut;
        const int run = std::min(kReadSectors, runEnd - first);
        const int sectors = run > 0 && kRingSectors - filled_ >= run ? run : 0;
        const std::uint32_t generation = generation_;
        lock.unlock();

        // The disc is checked before every read, and each period while nothing is read.
        const bool there = StillThere();
        const bool read = there && sectors > 0 && ReadRun(first, sectors, bytes);
        if (!there || (sectors > 0 && !read)) {
            Lose();
            lock.lock();
            continue;
        }

        lock.lock();
        if (!read || generation != generation_) continue;  // a seek came meanwhile
        for (int s = 0; s < sectors; ++s) {
            Sector& sector = ring_[(first_ + filled_) % kRingSectors];
            sector.number = first + s;
            const std::uint8_t* from = bytes.data() + s * CDIO_CD_FRAMESIZE_RAW;
            // Little-endian 16-bit samples, whatever the machine.
            for (int i = 0; i < 2 * kSectorFrames; ++i)
                sector.samples[i] = static_cast<std::int16_t>(from[2 * i] | from[2 * i + 1] << 8);
            ++filled_;
        }
        next_ = first + sectors;
        buffered_.notify_all();
    }
}

}  // namespace platform
