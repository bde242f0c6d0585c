// Keyboard state and joysticks, as the game reads them once a frame.
#pragma once

#include <cstdint>

namespace platform {

// Windows virtual-key codes of the keys the game reads.
enum VirtualKey : std::uint8_t {
    VkLeft = 0x25, VkUp = 0x26, VkRight = 0x27, VkDown = 0x28, VkEscape = 0x1B,
    VkNumpad1 = 0x61, VkNumpad2 = 0x62, VkNumpad4 = 0x64, VkNumpad5 = 0x65, VkNumpad6 = 0x66,
    VkAdd = 0x6B, VkF1 = 0x70, VkF2 = 0x71,
    // Letters are their upper-case ASCII codes: 'W', 'A', 'S', 'D', 'G', 'H', 'J', 'K', 'B', 'V'.
};
inline constexpr std::uint8_t kKeyDown = 0x80;

class Keyboard {
public:
    virtual ~Keyboard() = default;
    // 256 entries by virtual-key code, bit 0x80 set while the key is down.
    // Keypad keys read the same whatever NumLock says.
    virtual void ReadState(std::uint8_t (&keys)[256]) = 0;
};

struct JoystickPosition {
    std::uint32_t x, y;     // within the range of the capabilities
    std::uint32_t buttons;  // bit n: button n+1 down
};

struct JoystickCaps {
    std::uint32_t xMin, xMax, yMin, yMax;
    std::uint32_t buttonCount;
};

class Joysticks {
public:
    virtual ~Joysticks() = default;
    // Joystick 0 or 1; false when that joystick is missing or cannot be read.
    virtual bool ReadPosition(int id, JoystickPosition& position) = 0;
    virtual bool ReadCaps(int id, JoystickCaps& caps) = 0;
};

}  // namespace platform
