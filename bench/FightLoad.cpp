// The game's load in a fight, on the real back ends (window, sound, music,
// CD) as a player runs it: Brakon against Brakon, both moving and firing,
// for a number of seconds after a few to settle; then the process's processor
// time as a share of one core, over the frames run, and its memory once
// started. Run from the folder the game lies in, under the display to measure:
//   fight_load [seconds] [midi|cd]    (cd: the disc VORNTAK_CD names)
#include "Devices.h"
#include "FightStage.h"
#include "GameState.h"
#include "RealBackends.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kBrakon = 7;
constexpr double kSettleSeconds = 3;

double ProcessorSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

double ResidentMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024;
    return 0;
}

// Both players at the keys: each crosses the field corner to corner and back,
// pushing at its edges (so that the field scrolls under them much of the
// time, as in a lively bout), and fires every weapon in turn.
class ScriptedKeys final : public platform::Keyboard {
public:
    void ReadState(std::uint8_t (&keys)[256]) override {
        using namespace platform;
        struct Keys {
            std::uint8_t right, left, down, up, weapons[4];
        };
        static constexpr Keys kPlayers[2] = {{'D', 'A', 'S', 'W', {'G', 'H', 'J', 'K'}},
                                             {VkRight, VkLeft, VkDown, VkUp, {VkNumpad4, VkNumpad5, VkNumpad6, VkAdd}}};
        for (auto& key : keys) key = 0;
        for (int p = 0; p < 2; ++p) {
            const Keys& k = kPlayers[p];
            keys[(frame_ / 150 + p) % 2 ? k.left : k.right] = kKeyDown;
            keys[(frame_ / 110 + p) % 2 ? k.up : k.down] = kKeyDown;
            if ((frame_ + 30 * p) % 40 < 3) keys[k.weapons[(frame_ / 40 + p) % 4]] = kKeyDown;
        }
        ++frame_;
    }

private:
    int frame_ = 0;
};

// Nobody falls and nobody runs dry.
void KeepFighting(TForm1& form) {
    for (PlayerRecord& robot : form.players) {
        robot.hitPoints = robot.robot->maxHitPoints;
        for (std::int32_t& ammo : robot.ammo) ammo = 99;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 20;
    const bool cdMusic = argc > 2 && std::strcmp(argv[2], "cd") == 0;

    const RealBackends backends;
    Devices devices{};
    backends.Provide(devices);
    ScriptedKeys keys;
    devices.services.keyboard = &keys;
    std::unique_ptr<TForm1> form(new TForm1(devices));
    form->MediaPlayer1 = backends.cd.get();
    platform::Application& application = *devices.services.application;
    application.SetCloseHandler([&] { form->FormClose(); });

    form->FormShow();
    if (application.Closed() || !devices.idleInstalled) {
        std::fprintf(stderr, "fight_load: the game did not start\n");
        return 1;
    }
    const double startedMiB = ResidentMiB();
    form->MusicSource = cdMusic ? MusicCd : MusicMidi;
    form->GameMode = ModeTwoPlayers;
    form->p1RobotNumber = form->p2RobotNumber = kBrakon;
    form->ToBefore();
    form->GameStage = StageIntro;
    form->ToFight();

    using Clock = std::chrono::steady_clock;
    const auto begun = Clock::now();
    bool measuring = false;
    double cpuAtStart = 0;
    Clock::time_point measureStart{};
    int measuredFrames = 0, scrolled = 0;
    double busy = 0, wall = 0;
    application.Run([&](std::uint16_t key) { form->FormKeyDown(key); },
                    [&] {
                        KeepFighting(*form);
                        form->AppIdle();
                        const ScrollDelta scroll = ScrollDeltaOf(*form);
                        const auto now = Clock::now();
                        if (!measuring && now - begun >= std::chrono::duration<double>(kSettleSeconds)) {
                            measuring = true;
                            cpuAtStart = ProcessorSeconds();
                            measureStart = now;
                        } else if (measuring) {
                            ++measuredFrames;
                            scrolled += scroll.dx != 0 || scroll.dy != 0;
                            wall = std::chrono::duration<double>(now - measureStart).count();
                            if (wall >= seconds) {
                                busy = ProcessorSeconds() - cpuAtStart;
                                application.Close();
                            }
                        }
                    });
    const bool fought = form->GameStage == StageFight && wall > 0;
    std::printf("%s music: %.1f %% of a core over %.1f s, %d frames (%.1f a second, %.0f %% scrolling), "
                "%.0f MiB after start%s\n",
                cdMusic ? "CD" : "MIDI", 100 * busy / wall, wall, measuredFrames, measuredFrames / wall,
                100.0 * scrolled / std::max(measuredFrames, 1), startedMiB,
                fought ? "" : ", NOT IN THE FIGHT");
    return fought ? 0 : 1;
}
