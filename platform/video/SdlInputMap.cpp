#include "SdlInputMap.h"

#include "Input.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <utility>

namespace platform {
namespace {

struct KeyCode {
    SDL_Scancode scancode;
    std::uint8_t virtualKey;
};

constexpr KeyCode kNamedKeys[] = {
    {SDL_SCANCODE_RETURN, 0x0D}, {SDL_SCANCODE_ESCAPE, 0x1B}, {SDL_SCANCODE_BACKSPACE, 0x08},
    {SDL_SCANCODE_TAB, 0x09}, {SDL_SCANCODE_SPACE, 0x20}, {SDL_SCANCODE_CAPSLOCK, 0x14},
    {SDL_SCANCODE_MINUS, 0xBD}, {SDL_SCANCODE_EQUALS, 0xBB}, {SDL_SCANCODE_LEFTBRACKET, 0xDB},
    {SDL_SCANCODE_RIGHTBRACKET, 0xDD}, {SDL_SCANCODE_BACKSLASH, 0xDC}, {SDL_SCANCODE_SEMICOLON, 0xBA},
    {SDL_SCANCODE_APOSTROPHE, 0xDE}, {SDL_SCANCODE_GRAVE, 0xC0}, {SDL_SCANCODE_COMMA, 0xBC},
    {SDL_SCANCODE_PERIOD, 0xBE}, {SDL_SCANCODE_SLASH, 0xBF},
    {SDL_SCANCODE_PRINTSCREEN, 0x2C}, {SDL_SCANCODE_SCROLLLOCK, 0x91}, {SDL_SCANCODE_PAUSE, 0x13},
    {SDL_SCANCODE_INSERT, 0x2D}, {SDL_SCANCODE_HOME, 0x24}, {SDL_SCANCODE_PAGEUP, 0x21},
    {SDL_SCANCODE_DELETE, 0x2E}, {SDL_SCANCODE_END, 0x23}, {SDL_SCANCODE_PAGEDOWN, 0x22},
    {SDL_SCANCODE_LEFT, VkLeft}, {SDL_SCANCODE_UP, VkUp}, {SDL_SCANCODE_RIGHT, VkRight}, {SDL_SCANCODE_DOWN, VkDown},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x90}, {SDL_SCANCODE_KP_DIVIDE, 0x6F}, {SDL_SCANCODE_KP_MULTIPLY, 0x6A},
    {SDL_SCANCODE_KP_MINUS, 0x6D}, {SDL_SCANCODE_KP_PLUS, VkAdd}, {SDL_SCANCODE_KP_ENTER, 0x0D},
    {SDL_SCANCODE_KP_0, 0x60}, {SDL_SCANCODE_KP_PERIOD, 0x6E},
    {SDL_SCANCODE_LSHIFT, 0x10}, {SDL_SCANCODE_RSHIFT, 0x10}, {SDL_SCANCODE_LCTRL, 0x11},
    {SDL_SCANCODE_RCTRL, 0x11}, {SDL_SCANCODE_LALT, 0x12}, {SDL_SCANCODE_RALT, 0x12},
    {SDL_SCANCODE_LGUI, 0x5B}, {SDL_SCANCODE_RGUI, 0x5C}, {SDL_SCANCODE_APPLICATION, 0x5D},
};

constexpr KeyCode kSidedKeys[] = {
    {SDL_SCANCODE_LSHIFT, 0xA0}, {SDL_SCANCODE_RSHIFT, 0xA1}, {SDL_SCANCODE_LCTRL, 0xA2},
    {SDL_SCANCODE_RCTRL, 0xA3}, {SDL_SCANCODE_LALT, 0xA4}, {SDL_SCANCODE_RALT, 0xA5},
};

const std::array<std::uint8_t, SDL_NUM_SCANCODES>& KeyTable() {
    static const std::array<std::uint8_t, SDL_NUM_SCANCODES> table = [] {
        std::array<std::uint8_t, SDL_NUM_SCANCODES> t{};
        for (int i = 0; i < 26; ++i) t[SDL_SCANCODE_A + i] = static_cast<std::uint8_t>('A' + i);
        for (int i = 0; i < 9; ++i) t[SDL_SCANCODE_1 + i] = static_cast<std::uint8_t>('1' + i);
        t[SDL_SCANCODE_0] = '0';
        for (int i = 0; i < 12; ++i) t[SDL_SCANCODE_F1 + i] = static_cast<std::uint8_t>(VkF1 + i);
        for (int i = 0; i < 9; ++i) t[SDL_SCANCODE_KP_1 + i] = static_cast<std::uint8_t>(VkNumpad1 + i);
        for (const KeyCode& key : kNamedKeys) t[key.scancode] = key.virtualKey;
        return t;
    }();
    return table;
}

}  // namespace

std::uint8_t VirtualKeyOfScancode(int scancode) {
    return scancode >= 0 && scancode < SDL_NUM_SCANCODES ? KeyTable()[scancode] : 0;
}

void FillVirtualKeyState(const std::uint8_t* sdlState, int scancodes, std::uint8_t (&keys)[256]) {
    std::fill(std::begin(keys), std::end(keys), 0);
    if (!sdlState) return;
    const int count = std::min(scancodes, static_cast<int>(SDL_NUM_SCANCODES));
    for (int scancode = 0; scancode < count; ++scancode) {
        if (sdlState[scancode] && KeyTable()[scancode]) keys[KeyTable()[scancode]] = kKeyDown;
    }
    for (const KeyCode& key : kSidedKeys) {
        if (key.scancode < count && sdlState[key.scancode]) keys[key.virtualKey] = kKeyDown;
    }
}

std::uint32_t JoystickAxisPosition(int axis) {
    if (axis > -kJoystickDeadZone && axis < kJoystickDeadZone) return 32768;
    return static_cast<std::uint32_t>(std::clamp(axis, -32768, 32767) + 32768);
}

}  // namespace platform
