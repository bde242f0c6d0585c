// A real message box under a virtual X server, ended by SIGTERM: the box's
// child goes, the call returns, and the window's quit is asked for as SIGTERM
// asks for it at any other time; no later box is shown. Exits 0 when all
// holds (or when no box can be shown here, saying "skipped"), else 1.
#include "PlayerBackends.h"

#include <SDL.h>

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

pid_t FirstChild(pid_t tid) {
    std::ifstream list("/proc/self/task/" + std::to_string(tid) + "/children");
    pid_t child = 0;
    return list >> child ? child : 0;
}

// Waits up to `seconds` for a box's child of thread `tid`; 0 when none showed.
pid_t AwaitBox(pid_t tid, const std::atomic<bool>& returned, int seconds) {
    pid_t child = 0;
    for (int i = 0; i < seconds * 100 && !returned && !(child = FirstChild(tid)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return child;
}

}  // namespace

int main() {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::printf("no display: skipped\n");
        return 0;
    }
    auto system = platform::MakeSdlSystem();
    const pid_t tid = gettid();

    std::atomic<bool> returned{false};
    Clock::time_point termAt{};
    std::thread term([&] {
        const pid_t child = AwaitBox(tid, returned, 20);
        if (!child) return;
        termAt = Clock::now();
        kill(getpid(), SIGTERM);
        for (int i = 0; i < 1000 && !returned; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!returned) {
            std::fprintf(stderr, "the box was still up 10 s after SIGTERM\n");
            kill(child, SIGKILL);
            _exit(1);
        }
    });
    system->MessageBox("A box that SIGTERM ends.", "Error");
    returned = true;
    term.join();
    if (termAt == Clock::time_point{}) {
        std::printf("no message box can be shown here: skipped\n");
        return 0;
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - termAt).count();

    SDL_PumpEvents();
    if (!SDL_HasEvent(SDL_QUIT)) {
        std::fprintf(stderr, "SIGTERM did not reach the window's quit\n");
        return 1;
    }
    std::atomic<bool> again{false};
    std::thread watch([&] {
        if (const pid_t child = AwaitBox(tid, again, 2)) {
            std::fprintf(stderr, "a box showed after SIGTERM\n");
            kill(child, SIGKILL);
            _exit(1);
        }
    });
    system->MessageBox("A box after SIGTERM.", "Error");
    again = true;
    watch.join();
    std::printf("the box ended %lld ms after SIGTERM\n", static_cast<long long>(took));
    SDL_Quit();
    return 0;
}
