// One fight frame of Brakon against Saltrim on the headless back ends, both
// robots moving and firing, every record of every weapon's volleys in flight.
#include "HeadlessGame.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

void BM_FightStage(benchmark::State& state) {
    // The modules and tunes lie beside this program.
    HeadlessGame game(std::filesystem::read_symlink("/proc/self/exe").parent_path().string());
    game.sound.KeepLog(false);
    game.music.KeepLog(false);
    TForm1& form = *game.form;
    form.FormShow();
    form.GameMode = ModeTwoPlayers;
    form.p1RobotNumber = 7;
    form.p2RobotNumber = 4;
    form.ToBefore();
    form.GameStage = StageIntro;
    form.ToFight();
    for (int frame = 0; frame < 75; ++frame) form.FightStage();
    if (game.video->application.Closed() || form.GameStage != StageFight) {
        state.SkipWithError("the bout did not start");
        return;
    }

    int frame = 0;
    for (auto _ : state) {
        for (int p = 0; p < 2; ++p) {
            PlayerRecord& robot = form.players[p];
            robot.hitPoints = robot.robot->maxHitPoints;  // nobody falls
            robot.axisX = (frame / 60 + p) % 3;
            robot.axisY = (frame / 45 + p) % 3;
            robot.buttonCode = (frame + 30 * p) % 40 < 3 ? 1 + (frame / 40 + p) % 4 : 0;
            for (std::int32_t& ammo : robot.ammo) ammo = 99;
        }
        if (frame % 30 == 0)  // every record flies again
            for (auto& slot : form.shotSlots)
                for (auto& row : slot)
                    for (ShotRecord& shot : row) shot.live = shot.canHit = shot.visible = 1;
        form.FightStage();
        benchmark::DoNotOptimize(form.players[0].posX);
        ++frame;
    }
}
BENCHMARK(BM_FightStage)->Unit(benchmark::kMicrosecond);

}  // namespace
