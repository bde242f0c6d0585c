#include "SigtermDuringBox.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

namespace platform {
namespace {

volatile sig_atomic_t termSeen = 0;

void NoteTerm(int) { termSeen = 1; }

// Kills the children of thread `tid`; false when it has none. They are ours:
// a number the box's own wait frees meanwhile is given out again only once
// the system's numbers have come round. SIGKILL, since a box's child keeps
// SDL's SIGTERM handler, which only takes note.
bool KillChildren(pid_t tid) {
    std::ifstream list("/proc/self/task/" + std::to_string(tid) + "/children");
    bool any = false;
    for (pid_t child = 0; list >> child;) {
        ::kill(child, SIGKILL);
        any = true;
    }
    return any;
}

}  // namespace

bool ShowAnsweringSigterm(const std::function<void()>& show) {
    struct sigaction note {}, before {};
    note.sa_handler = NoteTerm;
    sigemptyset(&note.sa_mask);
    termSeen = 0;
    ::sigaction(SIGTERM, &note, &before);

    std::mutex mutex;
    std::condition_variable wake;
    bool shown = false;
    const pid_t tid = ::gettid();
    std::thread watch([&] {
        using Clock = std::chrono::steady_clock;
        Clock::time_point termAt{};
        bool killed = false;
        std::unique_lock lock(mutex);
        while (!wake.wait_for(lock, std::chrono::milliseconds(20), [&] { return shown; })) {
            if (!termSeen) continue;
            if (termAt == Clock::time_point{}) termAt = Clock::now();
            killed |= KillChildren(tid);
            // A box drawn in this process has no child to end: the signal then
            // does what it would have done with no handler at all.
            if (!killed && Clock::now() - termAt > std::chrono::milliseconds(900)) {
                ::signal(SIGTERM, SIG_DFL);
                ::raise(SIGTERM);
            }
        }
    });
    show();
    {
        std::lock_guard lock(mutex);
        shown = true;
    }
    wake.notify_one();
    watch.join();

    ::sigaction(SIGTERM, &before, nullptr);
    if (!termSeen) return false;
    ::raise(SIGTERM);
    return true;
}

}  // namespace platform
