// Input: keyboards and joysticks (or the computer, for player 2) into the
// control fields; then, in the fight, the control fields into movement intent.
#include "Devices.h"
#include "GameState.h"

#include <cstdint>

namespace {

struct PlayerKeys {
    std::uint8_t right, left, up, down, weapons[4], guard, dash;
};
constexpr PlayerKeys kKeys[2] = {
    {'D', 'A', 'W', 'S', {'G', 'H', 'J', 'K'}, 'B', 'V'},
    {platform::VkRight, platform::VkLeft, platform::VkUp, platform::VkDown,
     {platform::VkNumpad4, platform::VkNumpad5, platform::VkNumpad6, platform::VkAdd}, platform::VkNumpad2,
     platform::VkNumpad1},
};

void ReadKeys(PlayerRecord& player, const std::uint8_t (&keys)[256], const PlayerKeys& k) {
    auto down = [&](std::uint8_t key) { return (keys[key] & platform::kKeyDown) != 0; };
    player.axisX = down(k.right) ? 1 : down(k.left) ? 2 : 0;
    player.axisY = down(k.up) ? 1 : down(k.down) ? 2 : 0;

    int weapon = 0;
    for (int w = 4; w >= 1; --w)
        if (down(k.weapons[w - 1])) weapon = w;
    if (down(k.dash))
        player.buttonCode = weapon ? ButtonDashWeapon1 + weapon - 1 : ButtonDash;
    else
        player.buttonCode = down(k.guard) ? ButtonGuard : weapon;
}

// The whole mask is matched; an unlisted one leaves the last frame's code.
void ReadButtons(PlayerRecord& player, std::uint32_t mask) {
    switch (mask) {
        case 0x00: player.buttonCode = ButtonNone; break;
        case 0x01: player.buttonCode = 1; break;
        case 0x02: player.buttonCode = 2; break;
        case 0x04: player.buttonCode = 3; break;
        case 0x08: player.buttonCode = 4; break;
        case 0x40: case 0x41: case 0x42: case 0x44: case 0x48: case 0xC0: player.buttonCode = ButtonGuard; break;
        case 0x80: player.buttonCode = ButtonDash; break;
        case 0x81: player.buttonCode = 7; break;
        case 0x82: player.buttonCode = 8; break;
        case 0x84: player.buttonCode = 9; break;
        case 0x88: player.buttonCode = 10; break;
        default: break;
    }
}

// True when the joystick answered and drove the player. No dead zone: the
// stick rests exactly on its centre.
bool ReadJoystick(Devices& devices, PlayerRecord& player, int id, std::uint32_t& centre) {
    platform::Joysticks& joysticks = *devices.services.joysticks;
    platform::JoystickPosition position;
    if (!joysticks.ReadPosition(id, position)) return false;
    // A stick plugged in after the start-up gets its centre when it first answers.
    platform::JoystickCaps caps;
    if (centre == 0 && joysticks.ReadCaps(id, caps)) centre = (caps.xMin + caps.xMax) / 2 + 1;

    player.axisX = position.x > centre ? 1 : position.x < centre ? 2 : 0;
    player.axisY = position.y > centre ? 2 : position.y < centre ? 1 : 0;
    ReadButtons(player, position.buttons);
    return true;
}

void StepUp(std::int32_t& step) {
    if (step < 3) ++step;
}

}  // namespace

void TForm1::ControlHead() {
    std::uint8_t keys[256] = {};  // a state that cannot be read is no key down
    devices.services.keyboard->ReadState(keys);

    if (GameMode < ModeOnePlayer || GameMode > ModeSurvival) return;
    if (!ReadJoystick(devices, players[0], 0, joyCentre)) ReadKeys(players[0], keys, kKeys[0]);

    if (GameMode == ModeOnePlayer || GameMode == ModeSurvival) {
        if (GameStage == StageFight && IsRobot(p2RobotNumber)) {
            const ThinkRoutine& think = ThinkTable[p2RobotNumber - 1];
            if (think.code) think.code(*think.object);
        }
    } else if (!ReadJoystick(devices, players[1], 1, joy2Centre) && devices.JoySet2 == 0) {
        ReadKeys(players[1], keys, kKeys[1]);
    }
}

void DecodeInput(PlayerRecord& player) {
    std::int32_t (&accel)[4] = player.accel;
    player.directionCode = 0;

    switch (player.axisX) {
        case 0: accel[SenseLeft] = accel[SenseRight] = 0; break;
        case 1: StepUp(accel[SenseRight]); accel[SenseLeft] = 0; player.directionCode += 2; break;
        case 2: StepUp(accel[SenseLeft]); accel[SenseRight] = 0; player.directionCode += 1; break;
        default: break;
    }
    switch (player.axisY) {
        case 0: accel[SenseUp] = accel[SenseDown] = 0; break;
        case 1: StepUp(accel[SenseUp]); accel[SenseDown] = 0; player.directionCode += 10; break;
        case 2: StepUp(accel[SenseDown]); accel[SenseUp] = 0; player.directionCode += 20; break;
        default: break;
    }

    const std::int32_t code = player.buttonCode;
    if (code < ButtonNone || code > ButtonDashWeapon1 + 3) return;
    const int weapon = code >= 1 && code <= 4 ? code : code >= ButtonDashWeapon1 ? code - ButtonDashWeapon1 + 1 : 0;
    // A button held for ever stops counting rather than overflow; only 1 and "held" are read.
    for (int w = 1; w <= 4; ++w) {
        std::int32_t& held = player.holdFrames[w - 1];
        held = w != weapon ? 0 : held < INT32_MAX ? held + 1 : held;
    }
    player.guardRequest = code == ButtonGuard;
    player.dashRequest = code == ButtonDash || code >= ButtonDashWeapon1;
}
