// SIGTERM while a message box shows: SDL shows it from a child it waits on,
// retrying the wait when a signal breaks it, as the fake box here does.
#include "SigtermDuringBox.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace {

volatile sig_atomic_t quitAsked = 0;  // what SDL's own handler would note
void AskQuit(int) { quitAsked = 1; }

pid_t FirstChild(pid_t tid) {
    std::ifstream list("/proc/self/task/" + std::to_string(tid) + "/children");
    pid_t child = 0;
    return list >> child ? child : 0;
}

TEST(SigtermDuringBox, EndsTheBoxsChildAndThenReachesTheHandlerBefore) {
    struct sigaction sdl {}, saved {};
    sdl.sa_handler = AskQuit;
    sigemptyset(&sdl.sa_mask);
    ASSERT_EQ(sigaction(SIGTERM, &sdl, &saved), 0);
    quitAsked = 0;

    const pid_t tid = gettid();
    std::atomic<bool> returned{false}, timedOut{false};
    std::thread term([&] {
        pid_t child = 0;
        for (int i = 0; i < 1000 && !(child = FirstChild(tid)); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        kill(getpid(), SIGTERM);
        for (int i = 0; i < 1000 && !returned; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!returned && child) {  // the box held on: end it so the test fails instead of hanging
            timedOut = true;
            kill(child, SIGKILL);
        }
    });
    bool quitDuringBox = true;
    const bool seen = platform::ShowAnsweringSigterm([&] {
        const pid_t child = fork();
        if (child == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives a test that fails by dying
            for (;;) pause();
        }
        int status = 0;
        while (waitpid(child, &status, 0) == -1 && errno == EINTR) {}
        quitDuringBox = quitAsked;
    });
    returned = true;
    term.join();

    EXPECT_FALSE(timedOut) << "the box was still up 10 s after SIGTERM";
    EXPECT_TRUE(seen);
    EXPECT_FALSE(quitDuringBox) << "the handler before ran while the box showed";
    EXPECT_TRUE(quitAsked) << "the SIGTERM did not reach the handler before";
    struct sigaction after {};
    sigaction(SIGTERM, &saved, &after);
    EXPECT_EQ(after.sa_handler, AskQuit) << "the handler before is back";

    quitAsked = 0;
    EXPECT_FALSE(platform::ShowAnsweringSigterm([] {}));
    EXPECT_FALSE(quitAsked);
}

}  // namespace
