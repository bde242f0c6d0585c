// Fights on the headless back ends: one frame of the fight with both robots
// moving and firing and every record of every weapon's volleys in flight; the
// fight screen of such a frame on the software renderer; one decision and one
// executed frame of the opponent, of Brakon against Saltrim.
#include "HeadlessGame.h"
#include "Opponent.h"
#include "Screens.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace {

// A bout in the fight proper, on the headless back ends.
class Bout {
public:
    // The modules and tunes lie beside this program.
    Bout(std::int32_t p1Robot, std::int32_t p2Robot)
        : game(std::filesystem::read_symlink("/proc/self/exe").parent_path().string()) {
        game.sound.KeepLog(false);
        game.music.KeepLog(false);
        TForm1& form = *game.form;
        form.FormShow();
        form.GameMode = ModeTwoPlayers;
        form.p1RobotNumber = p1Robot;
        form.p2RobotNumber = p2Robot;
        form.ToBefore();
        form.GameStage = StageIntro;
        form.ToFight();
        for (int frame = 0; frame < 75; ++frame) form.FightStage();
    }
    bool Ready() const { return !game.video->application.Closed() && game.form->GameStage == StageFight; }
    TForm1& Form() { return *game.form; }
    HeadlessGame game;
};

void Steer(TForm1& form, int frame) {
    for (int p = 0; p < 2; ++p) {
        PlayerRecord& robot = form.players[p];
        robot.hitPoints = robot.robot->maxHitPoints;  // nobody falls
        robot.axisX = (frame / 60 + p) % 3;
        robot.axisY = (frame / 45 + p) % 3;
        robot.buttonCode = (frame + 30 * p) % 40 < 3 ? 1 + (frame / 40 + p) % 4 : 0;
        for (std::int32_t& ammo : robot.ammo) ammo = 99;
    }
}

void LaunchEverything(TForm1& form) {
    for (auto& slot : form.shotSlots)
        for (auto& row : slot)
            for (ShotRecord& shot : row) shot.live = shot.canHit = shot.visible = 1;
}

// The robots of players 1 and 2: Brakon against Saltrim; Mirrow against
// Kelvash, the two robots whose volleys hold the most records (26 and 31);
// Kelvash against itself, the most records of any bout (62); Mirrow against
// itself and against Brakon; Brakon against itself, the dearest frame to draw.
void Pairings(benchmark::internal::Benchmark* b) {
    b->ArgNames({"p1", "p2"})->Args({7, 4})->Args({3, 9})->Args({9, 9})->Args({3, 3})->Args({3, 7})->Args({7, 7});
}

void BM_FightStage(benchmark::State& state) {
    Bout bout(state.range(0), state.range(1));
    if (!bout.Ready()) return state.SkipWithError("the bout did not start");
    TForm1& form = bout.Form();
    int frame = 0;
    for (auto _ : state) {
        Steer(form, frame);
        if (frame % 30 == 0) LaunchEverything(form);  // every record flies again
        form.FightStage();
        benchmark::DoNotOptimize(form.players[0].posX);
        ++frame;
    }
}
BENCHMARK(BM_FightStage)->Apply(Pairings)->Unit(benchmark::kMicrosecond);

void BM_Draw_FS(benchmark::State& state) {
    Bout bout(state.range(0), state.range(1));
    if (!bout.Ready()) return state.SkipWithError("the bout did not start");
    TForm1& form = bout.Form();
    platform::HeadlessDisplay& display = bout.game.video->display;
    for (int frame = 0; frame < 20; ++frame) {  // trails behind every shot
        Steer(form, frame);
        LaunchEverything(form);
        form.FightStage();
    }
    for (auto _ : state) {
        Draw_FS(Scene{form, form.devices.display, 0, 0}, *display.TakeContext());
        display.ReleaseContext();
        display.Flip(0);
    }
}
BENCHMARK(BM_Draw_FS)->Apply(Pairings)->Unit(benchmark::kMicrosecond);

// A decision and the first frame of its choice, the nearest-shot search included.
void BM_OpponentDecisionAndFrame(benchmark::State& state) {
    Bout bout(7, 4);
    if (!bout.Ready()) return state.SkipWithError("the bout did not start");
    TForm1& form = bout.Form();
    LaunchEverything(form);
    int k = 0;  // spread over the field, as in a busy fight
    for (auto& slot : form.shotSlots)
        for (auto& row : slot)
            for (ShotRecord& shot : row) {
                shot.x = (k * 37) % 800;
                shot.y = (k * 53) % 600;
                ++k;
            }
    for (auto _ : state) {
        form.cpuState = 0;
        form.cpuFrame = 0;
        form.DF_Think();
        form.DF_Think();
        benchmark::DoNotOptimize(form.players[1].buttonCode);
    }
}
BENCHMARK(BM_OpponentDecisionAndFrame)->Unit(benchmark::kNanosecond);

}  // namespace
