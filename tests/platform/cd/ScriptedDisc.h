// A disc source for tests, its sectors made up: every sample of sector n is
// 8 * (n + 1), so what the player mixes (at an eighth) names the sector it
// came from. The test can make reads fail, make them stall at a gate until
// it opens, stall the open itself, and take the disc away. The gate outlives
// the source: a stalled worker may end after the test.
#pragma once

#include "DiscSource.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

struct DiscScript {
    std::mutex mutex;
    std::condition_variable opened;
    bool gateOpen = true;
    std::int32_t stallFrom = 1 << 30;       // reads reaching this sector wait at the gate
    std::int32_t failFrom = 1 << 30, failTo = 0;  // reads touching [failFrom, failTo) fail
    std::int32_t cutAt = 1 << 30;  // a read across this sector fills only what lies before it, and says it read all
    bool stallOpen = false;
    std::atomic<int> checkMs{0};  // how long a presence check takes
    std::atomic<bool> there{true};
    std::atomic<int> opens{0}, reads{0}, checks{0}, stalled{0};

    void Close() {  // the gate, until Open
        std::lock_guard lock(mutex);
        gateOpen = false;
    }
    void Open() {
        {
            std::lock_guard lock(mutex);
            gateOpen = true;
        }
        opened.notify_all();
    }
    // Waits at the gate; a bounded wait, so no thread outlives a broken test for long.
    void Wait() {
        std::unique_lock lock(mutex);
        ++stalled;
        opened.wait_for(lock, std::chrono::seconds(20), [&] { return gateOpen; });
        --stalled;
    }
};

// Three tracks: 1 s; 1.2 s (a data track where `dataTrack2`); a 0.4 s pregap and 1 s.
class ScriptedDisc final : public platform::DiscSource {
public:
    ScriptedDisc(std::shared_ptr<DiscScript> script, bool dataTrack2 = false) : script_(std::move(script)) {
        ++script_->opens;
        if (script_->stallOpen) script_->Wait();
        toc_.count = 3;
        toc_.run = {0, 0, 75, 165};
        toc_.index1 = {0, 0, 75, 195};
        toc_.audio = {false, true, !dataTrack2, true};
        toc_.leadOut = 270;
    }

    bool Read(std::int32_t first, int sectors, std::uint8_t* bytes) override {
        ++script_->reads;
        if (first + sectors > script_->stallFrom) script_->Wait();
        if (first < script_->failTo && first + sectors > script_->failFrom) return false;
        const int filled = first < script_->cutAt && script_->cutAt < first + sectors ? script_->cutAt - first : sectors;
        for (int n = 0; n < filled; ++n) {
            const std::int16_t sample = static_cast<std::int16_t>(8 * (first + n + 1));
            for (int i = 0; i < kSectorBytes / 2; ++i) {
                bytes[n * kSectorBytes + 2 * i] = static_cast<std::uint8_t>(sample & 0xFF);
                bytes[n * kSectorBytes + 2 * i + 1] = static_cast<std::uint8_t>(sample >> 8 & 0xFF);
            }
        }
        return true;
    }

    bool StillThere() override {
        ++script_->checks;
        std::this_thread::sleep_for(std::chrono::milliseconds(script_->checkMs.load()));
        return script_->there;
    }

private:
    std::shared_ptr<DiscScript> script_;
};

// The scripted disc as drive "B:".
inline platform::DiscDrives ScriptedDrives(std::shared_ptr<DiscScript> script) {
    return {[] { return std::vector<std::string>{"scripted"}; },
            [script](const std::string&) { return std::make_unique<ScriptedDisc>(script); }};
}
