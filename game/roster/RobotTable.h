// How each robot is bound: its module files, the exports called in order with
// their arguments, and how the shot records of its weapons are wired; and its
// place on the select screen: the computer ladder it leads to, and whether it
// starts locked.
#pragma once

#include "GameState.h"

#include <cstdint>

enum class CallKind : std::uint8_t {
    Move,        // (descriptor, speed bias)
    VidiruMove,  // (descriptor): robot 1 takes no bias
    Motion,      // (motion graph)
    Weapon,      // (weapon w's descriptor, weapon w's tracks)
    Fillers,     // the eight missile path fillers on weapon w's tracks
    NextModule,  // free the module, load the second one
};

struct ExportCall {
    CallKind kind;
    const char* name;  // the export; for NextModule, the module file
    int weapon = 0;    // 1-4, for Weapon and Fillers
};

inline constexpr int kMaxCalls = 8;

struct RobotEntry {
    const char* module;
    std::int32_t speedBias;
    ExportCall calls[kMaxCalls];
    int weapons;          // its own: 3 leaves weapon 4 to the default weapon
    bool perPart[4];      // part j of weapon w starts on track j, not track 0
    bool reportsEachBuffer;  // robot 4 reports every fire-sound buffer's turn
    int ladderRoute;      // the row of kCpuLadder a one-player game with this robot climbs
    bool locked;          // chosen only once a survival run has unlocked the locked robots
};

extern const RobotEntry kRobotTable[];  // index robot number - 1; one row per robot

// Whether the select screen offers robot `number` (1-kRobotCount): a locked one only once unlocked.
bool Selectable(std::int32_t number, bool unlocked);
// The ladder a one-player game with robot `number` climbs; route 0 for a number that names no robot.
int LadderRouteOf(std::int32_t number);

// The path fillers, in the order they are called, each with its own plane.
struct PathFiller {
    const char* name;
    std::int32_t plane;
};
inline constexpr PathFiller kPathFillers[8] = {{"MSL_DR", 3}, {"MSL_DL", 5}, {"MSL_DN", 4}, {"MSL_NR", 2},
                                               {"MSL_NL", 6}, {"MSL_UR", 1}, {"MSL_UL", 7}, {"MSL_UN", 0}};
