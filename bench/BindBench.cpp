// Binding a robot before a bout, on the headless back ends: loading its
// module file, calling its exports, installing the result and making its
// four fire sounds. One figure per robot.
#include "HeadlessGame.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

void BM_BindRobot(benchmark::State& state) {
    // The modules lie beside this program.
    HeadlessGame game(std::filesystem::read_symlink("/proc/self/exe").parent_path().string());
    game.sound.KeepLog(false);
    game.music.KeepLog(false);
    TForm1& form = *game.form;
    form.FormShow();
    const int robot = static_cast<int>(state.range(0));
    for (auto _ : state) BindRobot(form, 0, robot);
    if (!game.devices.sound.dsound) state.SkipWithError("the binding lost the sound device");
}
BENCHMARK(BM_BindRobot)->DenseRange(1, kRobotCount)->Unit(benchmark::kMicrosecond);

}  // namespace
