// A fight allocates nothing: the game state is one fixed object. The global
// allocation functions of this test program count while a bout runs.
#include "GameFixture.h"

#include <cstdlib>
#include <new>

namespace {

bool counting = false;
long allocations = 0;

void* Allocate(std::size_t bytes) {
    if (counting) ++allocations;
    if (void* p = std::malloc(bytes ? bytes : 1)) return p;
    throw std::bad_alloc();
}

}  // namespace

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
        StartGame();
        EnterBout(ModeTwoPlayers, 7, 4);
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
// stage like the others; from the fight proper to the hand-over nothing is allocated.
TEST_F(NoAllocation, TheFightAndItsEndRunWithoutTouchingTheHeap) {
    for (int frame = 0; frame < 75; ++frame) form->FightStage();
    ASSERT_EQ(form->GameStage, StageFight);

    long frames = 0, hits = 0;
    counting = true;
    for (int frame = 0; frame < 4000; ++frame, ++frames) {
        Steer(frame);
        const std::int32_t before = form->players[0].hitPoints + form->players[1].hitPoints;
        form->FightStage();
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
