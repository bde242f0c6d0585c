// A fight allocates nothing: the game state is one fixed object. The global
// allocation functions of this test program count while a bout runs, and so
// does malloc, for the libraries (fonts, SDL), except under the address
// sanitizer, which owns malloc.
#include "GameFixture.h"
#include "Screens.h"

#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define ASAN_OWNS_MALLOC 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ASAN_OWNS_MALLOC 1
#endif
#endif

namespace {

bool counting = false;
long allocations = 0;

void* Allocate(std::size_t bytes) {
#ifdef ASAN_OWNS_MALLOC
    if (counting) ++allocations;
#endif  // else counted in malloc
    if (void* p = std::malloc(bytes ? bytes : 1)) return p;
    throw std::bad_alloc();
}

}  // namespace

#ifndef ASAN_OWNS_MALLOC
extern "C" {
void* __libc_malloc(std::size_t bytes);
void* __libc_calloc(std::size_t count, std::size_t bytes);
void* __libc_realloc(void* p, std::size_t bytes);

void* malloc(std::size_t bytes) {
    if (counting) ++allocations;
    return __libc_malloc(bytes);
}
void* calloc(std::size_t count, std::size_t bytes) {
    if (counting) ++allocations;
    return __libc_calloc(count, bytes);
}
void* realloc(void* p, std::size_t bytes) {
    if (counting) ++allocations;
    return __libc_realloc(p, bytes);
}
}
#endif

void* operator new(std::size_t bytes) { return Allocate(bytes); }
void* operator new[](std::size_t bytes) { return Allocate(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
    try {
        return Allocate(bytes);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t bytes, const std::nothrow_t& tag) noexcept { return operator new(bytes, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

class NoAllocation : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        sound.KeepLog(false);
        music.KeepLog(false);
        video->display.Picture().SetTextLog(nullptr);  // the test's record of texts, not the game's
        StartGame();
    }
    // A frame as the game's idle step makes it, the players' input aside:
    // the logic, then the picture.
    void Frame() {
        form->Follow(form->FightStage());
        if (platform::Canvas* canvas = video->display.TakeContext()) {
            form->AnswerDrawer(Draw_FS(Scene{*form, devices.display, 0, 0}, *canvas));
            video->display.ReleaseContext();
        }
        video->display.Flip(0);
    }
    // Both robots walk back and forth and cycle through their weapons, guard and dash.
    void Steer(int frame) {
        for (int p = 0; p < 2; ++p) {
            PlayerRecord& robot = form->players[p];
            robot.axisX = (frame / 90 + p) % 3;
            robot.axisY = (frame / 40 + p) % 3;
            const int beat = (frame + 7 * p) % 200;
            robot.buttonCode = beat % 20 < 4 ? 1 + beat / 50 : beat > 180 ? ButtonGuard : beat > 160 ? ButtonDash : 0;
        }
    }
};

}  // namespace

// The intro's last frame makes the finish jingle's sound buffer, a change of
// stage like the others; from the fight proper to the hand-over nothing is
// allocated, in the logic or in the picture.
TEST_F(NoAllocation, TheFightAndItsEndRunWithoutTouchingTheHeap) {
    EnterBout(ModeTwoPlayers, 7, 4);
    for (int frame = 0; frame < 75; ++frame) Frame();
    ASSERT_EQ(form->GameStage, StageFight);

    long frames = 0, hits = 0;
    counting = true;
    for (int frame = 0; frame < 4000; ++frame, ++frames) {
        Steer(frame);
        const std::int32_t before = form->players[0].hitPoints + form->players[1].hitPoints;
        Frame();
        hits += form->players[0].hitPoints + form->players[1].hitPoints < before;
        // Kept standing for most of the run, then knocked out to see the end stage.
        for (PlayerRecord& robot : form->players)
            if (frame < 3000) robot.hitPoints = robot.robot->maxHitPoints;
        if (frame == 3000) form->players[1].hitPoints = -1;
        if (form->GameStage == StageFightEnd && form->StageFrameCounter == 149) break;  // the hand-over is next
    }
    counting = false;
    EXPECT_EQ(allocations, 0) << "in " << frames << " frames";
    EXPECT_EQ(form->GameStage, StageFightEnd);
    EXPECT_GT(hits, 10) << "the robots really fought";
}

// Every pairing, its bout from the fight proper to the hand-over, with the
// ammunition counts changing as often as every few frames: each new count is
// a text the screen has not shown before.
class NoAllocationInAnyBout : public NoAllocation, public ::testing::WithParamInterface<int> {};

TEST_P(NoAllocationInAnyBout, AgainstEveryRobot) {
    const int p1 = GetParam();
    for (int p2 = 1; p2 <= kRobotCount; ++p2) {
        EnterBout(ModeTwoPlayers, p1, p2);
        for (int frame = 0; frame < 75; ++frame) Frame();
        ASSERT_EQ(form->GameStage, StageFight) << p1 << " v " << p2;
        int frames = 0;
        allocations = 0;
        counting = true;
        for (int frame = 0; frame < 800; ++frame, ++frames) {
            Steer(frame);
            if (frame % 7 == 0)
                for (int p = 0; p < 2; ++p)
                    for (int n = 0; n < 4; ++n) P(p).ammo[n] = (frame * 13 + n * 31 + p * 5) % 1200 - 100;
            Frame();
            for (PlayerRecord& robot : form->players)
                if (frame < 300) robot.hitPoints = robot.robot->maxHitPoints;
            if (frame == 300) P(1).hitPoints = -1;
            if (form->GameStage == StageFightEnd && form->StageFrameCounter == 149) break;
        }
        counting = false;
        EXPECT_EQ(allocations, 0) << p1 << " v " << p2 << ", in " << frames << " frames";
        ASSERT_EQ(form->GameStage, StageFightEnd) << p1 << " v " << p2;
    }
}
INSTANTIATE_TEST_SUITE_P(Robots, NoAllocationInAnyBout, ::testing::Range(1, kRobotCount + 1));
