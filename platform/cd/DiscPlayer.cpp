#include "DiscPlayer.h"

#include "CdAudio.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace platform {
namespace {

constexpr int kReadSectors = 16;     // one read: a fifth of a second
constexpr int kSeekSectors = 38;     // a seek returns with half a second buffered
constexpr int kGainShift = 3;        // the disc at an eighth: about the tunes' level for a usual master

std::int16_t Saturate(int value) { return static_cast<std::int16_t>(std::clamp(value, -32768, 32767)); }

}  // namespace

// The end of one thread the player started, as the player waits for it.
struct DiscPlayer::Worker {
    using Clock = std::chrono::steady_clock;

    std::mutex mutex;
    std::condition_variable done;
    bool ended = false;
    std::atomic<Clock::rep> busySince{0};  // when the call on the disc under way began; 0: none

    // Runs one call on the disc, noting how long it has taken so far.
    template <typename Call>
    auto Busy(Call call) {
        busySince = Clock::now().time_since_epoch().count();
        auto answer = call();
        busySince = 0;
        return answer;
    }
    // A call under way counts against the patience from its start.
    Clock::time_point Deadline(Clock::time_point deadline, Clock::duration patience) const {
        const Clock::rep since = busySince;
        return since ? std::min(deadline, Clock::time_point(Clock::duration(since)) + patience) : deadline;
    }
    void End() {
        {
            std::lock_guard lock(mutex);
            ended = true;
        }
        done.notify_all();
    }
};

// What the game, the mixer and the worker share for one open. The worker
// holds it as long as it runs, so a worker stuck in a read outlives the close.
struct DiscPlayer::Session {
    struct Sector {
        std::int32_t number = 0;
        std::array<std::int16_t, 2 * kSectorFrames> samples{};
    };

    DiscToc toc;  // fixed once the open is done
    const std::shared_ptr<Worker> worker = std::make_shared<Worker>();

    // Read by the game thread every frame.
    std::atomic<bool> present{false};
    std::atomic<int> mode{static_cast<int>(CdMode::Other)};
    std::atomic<std::int32_t> heard{0};

    std::mutex mutex;
    std::condition_variable wake;   // the worker: room in the ring, a seek, a check, the close
    std::condition_variable ready;  // the open done, sound in the ring after a seek
    std::array<Sector, kRingSectors> ring;
    int first = 0, filled = 0, frame = 0;  // oldest sector, sectors held, frames of it mixed
    std::int32_t next = 0;                // the next sector to read
    std::uint32_t generation = 0;         // a seek drops reads begun before it
    bool opened = false, found = false;   // the open is done; it gave a source
    bool playing = false;
    bool checkWanted = false;
    bool quit = false;

    void Lose() {  // the disc went away: no media, silence, until the next open
        playing = false;
        filled = frame = 0;
        mode = static_cast<int>(CdMode::Other);  // as a drive with its door open
        present = false;  // last: whoever sees it gone sees the mode too
        ready.notify_all();
    }
};

// A worker let go is waited for within the patience of what is about to start,
// and of the call it is in: one that outlasts it is stuck, and nothing new
// starts until it ends.
bool DiscPlayer::NoneStuck(std::chrono::steady_clock::time_point deadline) {
    std::erase_if(behind_, [&](const std::shared_ptr<Worker>& worker) {
        std::unique_lock lock(worker->mutex);
        return worker->done.wait_until(lock, worker->Deadline(deadline, patience_.open), [&] { return worker->ended; });
    });
    return behind_.empty();
}

bool DiscPlayer::Open(Opener open) {
    Close();
    const auto deadline = std::chrono::steady_clock::now() + patience_.open;
    if (!NoneStuck(deadline)) return false;
    auto session = std::make_shared<Session>();
    try {
        std::thread(&DiscPlayer::Work, session, std::move(open)).detach();
    } catch (const std::system_error&) {
        return false;
    }
    std::unique_lock lock(session->mutex);
    const bool answered = session->ready.wait_until(lock, deadline, [&] { return session->opened; });
    if (!answered || !session->found) {
        session->quit = true;  // a worker still opening ends on its own when the disc answers
        behind_.push_back(session->worker);
        return false;
    }
    session_ = std::move(session);
    return true;
}

bool DiscPlayer::Ask(std::function<void()> job) {
    const auto deadline = std::chrono::steady_clock::now() + patience_.open;
    if (!NoneStuck(deadline)) return false;
    auto worker = std::make_shared<Worker>();
    try {
        std::thread([worker, job = std::move(job)] {
            worker->Busy([&] {
                job();
                return true;
            });
            worker->End();
        }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    std::unique_lock lock(worker->mutex);
    if (worker->done.wait_until(lock, deadline, [&] { return worker->ended; })) return true;
    behind_.push_back(worker);
    return false;
}

void DiscPlayer::Close() {
    if (!session_) return;
    {
        std::lock_guard lock(session_->mutex);
        session_->quit = true;
        session_->playing = false;
        session_->present = false;
        session_->mode = static_cast<int>(CdMode::NotOpen);
    }
    session_->wake.notify_all();
    behind_.push_back(session_->worker);
    session_.reset();
}

bool DiscPlayer::MediaPresent() {
    if (!session_) return false;
    // A drive is asked no more often than the game asks, and only while it plays.
    if (Mode() == CdMode::Playing) {
        std::lock_guard lock(session_->mutex);
        session_->checkWanted = true;
        session_->wake.notify_all();
    }
    return session_->present.load(std::memory_order_acquire);
}

bool DiscPlayer::Present() const { return session_ && session_->present.load(std::memory_order_acquire); }

CdMode DiscPlayer::Mode() const {
    return session_ ? static_cast<CdMode>(session_->mode.load(std::memory_order_relaxed)) : CdMode::NotOpen;
}

std::uint32_t DiscPlayer::Position() const {
    return session_ ? session_->toc.Tmsf(session_->heard.load(std::memory_order_relaxed)) : 0;
}

const DiscToc& DiscPlayer::Toc() const {
    static const DiscToc none;
    return session_ ? session_->toc : none;
}

bool DiscPlayer::Seek(std::uint32_t tmsf) {
    std::int32_t sector = 0;
    if (!session_ || !session_->present || !session_->toc.SectorOf(tmsf, sector)) return false;
    Session& s = *session_;
    std::unique_lock lock(s.mutex);
    ++s.generation;
    s.first = s.filled = s.frame = 0;
    s.next = sector;
    s.playing = false;
    s.heard = sector;
    s.mode = static_cast<int>(CdMode::Stopped);
    s.wake.notify_all();
    const int wanted = std::min(kSeekSectors, s.toc.leadOut - sector);
    return s.ready.wait_for(lock, patience_.seek, [&] { return s.filled >= wanted || !s.present; }) && s.present;
}

bool DiscPlayer::Play() {
    if (!session_ || !session_->present) return false;
    Session& s = *session_;
    std::lock_guard lock(s.mutex);
    if (s.filled == 0 && s.next >= s.toc.leadOut) return true;  // at the end: nothing left to hear
    s.playing = true;
    s.mode = static_cast<int>(CdMode::Playing);
    return true;
}

bool DiscPlayer::Stop() {
    if (!session_) return false;
    std::lock_guard lock(session_->mutex);
    session_->playing = false;
    if (Mode() == CdMode::Playing) session_->mode = static_cast<int>(CdMode::Stopped);
    return true;
}

void DiscPlayer::MixInto(std::int16_t* stream, int samples) {
    if (!session_) return;
    Session& s = *session_;
    std::lock_guard lock(s.mutex);
    if (!s.playing) return;
    for (int at = 0; at < samples;) {
        if (s.filled == 0) {
            if (s.next >= s.toc.leadOut) {  // the last sector has been heard
                s.playing = false;
                s.mode = static_cast<int>(CdMode::Stopped);
            }
            return;  // otherwise the worker is behind: a moment of silence
        }
        const Session::Sector& sector = s.ring[s.first];
        s.heard.store(sector.number, std::memory_order_relaxed);
        const int count = std::min(samples - at, 2 * (kSectorFrames - s.frame));
        const std::int16_t* from = sector.samples.data() + 2 * s.frame;
        for (int i = 0; i < count; ++i, ++at) stream[at] = Saturate(stream[at] + (from[i] >> kGainShift));
        s.frame += count / 2;
        if (s.frame == kSectorFrames) {
            s.frame = 0;
            s.first = (s.first + 1) % kRingSectors;
            if (--s.filled == kRingSectors - kReadSectors) s.wake.notify_all();
        }
    }
}

void DiscPlayer::Work(const std::shared_ptr<Session>& session, const Opener& open) {
    Session& s = *session;
    Worker& worker = *s.worker;
    std::unique_ptr<DiscSource> source = open ? worker.Busy(open) : nullptr;
    std::vector<std::uint8_t> bytes(kReadSectors * DiscSource::kSectorBytes);
    const DiscToc& toc = source ? source->Toc() : DiscToc{};
    bool present = toc.count > 0;
    // A disc whose first sound cannot be read (a drive that refuses reads) is no disc.
    for (int track = 1; present && track <= toc.count; ++track)
        if (toc.audio[track]) {
            present = worker.Busy([&] { return source->Read(toc.index1[track], 1, bytes.data()); });
            break;
        }

    std::unique_lock lock(s.mutex);
    s.opened = true;
    s.found = source != nullptr;
    if (present) s.toc = toc;
    s.next = s.heard = present ? toc.index1[1] : 0;
    s.present = present;
    s.mode = static_cast<int>(present ? CdMode::Stopped : CdMode::Other);
    s.ready.notify_all();

    // A drive slow to answer a check would find the next one asked already:
    // a read due goes between two checks, or the ring would run dry.
    bool checkedLast = false;
    while (!s.quit && source) {
        const bool wanted = s.present && s.filled <= kRingSectors - kReadSectors && s.next < s.toc.leadOut;
        if (!wanted && !s.checkWanted) {
            s.wake.wait(lock);
            continue;
        }
        if (s.checkWanted && !(checkedLast && wanted)) {
            s.checkWanted = false;
            checkedLast = true;
            lock.unlock();
            const bool there = worker.Busy([&] { return source->StillThere(); });
            lock.lock();
            if (!there && !s.quit) s.Lose();
            continue;
        }
        checkedLast = false;

        // Reads are whole runs of sectors, or the rest of a track's run.
        const std::int32_t first = s.next;
        const int track = s.toc.TrackOf(first);
        const std::int32_t runEnd = track < s.toc.count ? s.toc.run[track + 1] : s.toc.leadOut;
        const int sectors = std::min(kReadSectors, runEnd - first);
        const bool audio = s.toc.audio[track];
        const std::uint32_t generation = s.generation;
        lock.unlock();

        // A data track, or a spot that will not read (a scratch), is silence
        // that keeps the disc's time; so is what a read leaves unfilled,
        // never the sound an earlier read left there.
        std::fill_n(bytes.begin(), sectors * DiscSource::kSectorBytes, 0);
        if (audio && !worker.Busy([&] { return source->Read(first, sectors, bytes.data()); }))
            std::fill_n(bytes.begin(), sectors * DiscSource::kSectorBytes, 0);

        lock.lock();
        if (generation != s.generation || !s.present) continue;  // a seek or a loss came meanwhile
        for (int n = 0; n < sectors; ++n) {
            Session::Sector& sector = s.ring[(s.first + s.filled) % kRingSectors];
            sector.number = first + n;
            const std::uint8_t* from = bytes.data() + n * DiscSource::kSectorBytes;
            // Little-endian 16-bit samples, whatever the machine.
            for (int i = 0; i < 2 * kSectorFrames; ++i)
                sector.samples[i] = static_cast<std::int16_t>(from[2 * i] | from[2 * i + 1] << 8);
            ++s.filled;
        }
        s.next = first + sectors;
        s.ready.notify_all();
    }
    lock.unlock();
    worker.Busy([&] {
        source.reset();  // released here, on the worker, whenever the disc lets go
        return true;
    });
    worker.End();
}

}  // namespace platform
