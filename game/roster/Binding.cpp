// Binding a robot module to a player, then installing what it filled.
#include "Devices.h"
#include "GameState.h"
#include "ModuleCalls.h"
#include "RobotTable.h"

#include <string>

namespace {

void WireShots(TForm1& form, int player, const RobotEntry& robot) {
    for (int w = 0; w < 4; ++w) {
        const bool useDefault = w >= robot.weapons;
        const WeaponDescriptor* weapon = useDefault ? &form.DummyWeapon : &form.weapons[player][w];
        const ShotTrackTable& tracks = form.tracks[player][w];
        for (int row = 0; row < kUsedShotRows; ++row)
            for (int part = 0; part < kMaxParts; ++part) {
                ShotRecord& shot = form.shotSlots[SlotOf(player, w + 1)][row][part];
                shot.phase = useDefault ? &form.dummyTrack.tracks[0][0].phases[0]
                                        : &tracks.planes[0][robot.perPart[w] ? part : 0].phases[0];
                shot.weapon = weapon;
            }
    }
}

void MakeFireSounds(TForm1& form, int player, const RobotEntry& robot, const char* unbound) {
    platform::SoundBuffer** buffers = form.devices.sound.WeaponSoundBuffers[player];
    for (int k = 0; k < 4; ++k)
        if (buffers[k]) {
            form.devices.services.sound->Release(buffers[k]);
            buffers[k] = nullptr;
        }

    // After a sound failure there is no device for the rest of the run: no
    // buffers are asked for, and nothing more is reported.
    if (!form.devices.sound.dsound) return;

    bool failed = false;
    for (int k = 0; k < 4; ++k) {
        if (!failed) {
            const char* name = k < robot.weapons ? TextChars(form.weapons[player][k].fireSound) : "HITTED4";
            failed = !form.CreateSoundData(name, &buffers[k]);
        }
        if (failed && robot.reportsEachBuffer) {
            form.EndDirectSound();
            ShowError(form.devices, "セカンダリ設定失敗D" + std::to_string(k + 1));
        }
    }
    if (failed) {
        form.EndDirectSound();
        ShowError(form.devices, "セカンダリ設定失敗");
        form.devices.sound.lostWithModule = unbound;
    }
}

}  // namespace

void BindRobot(TForm1& form, int player, int robotNumber) {
    if (!IsRobot(robotNumber)) return;
    const RobotEntry& robot = kRobotTable[robotNumber - 1];
    const char* unbound = CallExports(*form.devices.services.system, robot, {form.robotDescs[player],
                                      form.motionGraphs[player], form.weapons[player], form.tracks[player]});

    // The installation runs whether or not the module could be bound.
    PlayerRecord& record = form.players[player];
    record.robot = &form.robotDescs[player];
    record.motionNode = &form.motionGraphs[player].nodes[0];
    record.moveTable = form.robotDescs[player].normalSpeeds;
    record.dashTable = form.robotDescs[player].dashSpeeds;
    WireShots(form, player, robot);
    MakeFireSounds(form, player, robot, unbound);
}

// One loader per robot and player.
void TForm1::VidiruIn1() { BindRobot(*this, 0, 1); }
void TForm1::VidiruIn2() { BindRobot(*this, 1, 1); }
void TForm1::DareDIn1() { BindRobot(*this, 0, 2); }
void TForm1::DareDIn2() { BindRobot(*this, 1, 2); }
void TForm1::ZErovIn1() { BindRobot(*this, 0, 3); }
void TForm1::ZErovIn2() { BindRobot(*this, 1, 3); }
void TForm1::DFIN1() { BindRobot(*this, 0, 4); }
void TForm1::DFIN2() { BindRobot(*this, 1, 4); }
void TForm1::Vidiru2In1() { BindRobot(*this, 0, 5); }
void TForm1::Vidiru2In2() { BindRobot(*this, 1, 5); }
void TForm1::DIvoIn1() { BindRobot(*this, 0, 6); }
void TForm1::DIvoIn2() { BindRobot(*this, 1, 6); }
void TForm1::DoviIn1() { BindRobot(*this, 0, 7); }
void TForm1::DoviIn2() { BindRobot(*this, 1, 7); }
void TForm1::VOVIn1() { BindRobot(*this, 0, 8); }
void TForm1::VOVIn2() { BindRobot(*this, 1, 8); }
void TForm1::TDodarIn1() { BindRobot(*this, 0, 9); }
void TForm1::TDodarIn2() { BindRobot(*this, 1, 9); }
void TForm1::ZozerIn1() { BindRobot(*this, 0, 10); }
void TForm1::ZozerIn2() { BindRobot(*this, 1, 10); }
void TForm1::RodiIn1() { BindRobot(*this, 0, 11); }
void TForm1::RodiIn2() { BindRobot(*this, 1, 11); }
