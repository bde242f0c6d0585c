// A person at the keyboard, as a script: walk at the other robot, fire one
// weapon in short taps, now and then guard or dash.
#pragma once

#include "GameState.h"
#include "Input.h"
#include "HeadlessVideo.h"

struct PlayerKeys {
    std::uint8_t right, left, up, down, weapons[4], guard, dash;
};
inline constexpr PlayerKeys kPlayer1Keys{'D', 'A', 'W', 'S', {'G', 'H', 'J', 'K'}, 'B', 'V'};
inline constexpr PlayerKeys kPlayer2Keys{platform::VkRight, platform::VkLeft, platform::VkUp, platform::VkDown,
                                         {platform::VkNumpad4, platform::VkNumpad5, platform::VkNumpad6, platform::VkAdd},
                                         platform::VkNumpad2, platform::VkNumpad1};

inline void PressKeys(platform::HeadlessKeyboard& keyboard, const PlayerKeys& k, const PlayerRecord& me,
                      const PlayerRecord& other, int frame, int weapon) {
    auto set = [&](std::uint8_t key, bool down) { keyboard.SetKey(key, down); };
    set(k.right, other.posX > me.posX + 120);
    set(k.left, other.posX < me.posX - 120);
    set(k.down, other.posY > me.posY + 10);
    set(k.up, other.posY < me.posY - 10);
    for (int w = 0; w < 4; ++w) set(k.weapons[w], w == weapon && frame % 12 < 3);
    set(k.guard, frame % 97 > 90);
    set(k.dash, frame % 53 > 45);
}
