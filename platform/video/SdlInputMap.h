// How SDL's keys and sticks read as the Windows codes and ranges the game knows.
#pragma once

#include <cstdint>

namespace platform {

// The virtual-key code of an SDL scancode, 0 for a key without one. Keys are
// taken by where they are, not what they type: the keypad's digits give their
// numeric-keypad codes whatever NumLock says.
std::uint8_t VirtualKeyOfScancode(int scancode);

// SDL's key state (by scancode) as the 256-entry table, 0x80 for a key down;
// a shift, control or alt key sets both its generic and its sided code.
void FillVirtualKeyState(const std::uint8_t* sdlState, int scancodes, std::uint8_t (&keys)[256]);

// An SDL axis (-32768 .. 32767) on the range 0 .. 65535, whose centre the game
// takes as 32768. Small deflections of a resting analogue stick read as that
// centre, since the game counts any other value as a push.
std::uint32_t JoystickAxisPosition(int axis);
inline constexpr int kJoystickDeadZone = 8000;

}  // namespace platform
