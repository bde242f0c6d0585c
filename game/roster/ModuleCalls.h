// Calling a robot's module exports: the one loop that binds a robot, used by
// the game's loader and by the module contract tests alike.
#pragma once

#include "RobotModule.h"
#include "RobotTable.h"
#include "System.h"

// The records one binding fills.
struct RobotRecords {
    RobotDescriptor& robot;
    MotionGraph& graph;
    WeaponDescriptor (&weapons)[4];
    ShotTrackTable (&tracks)[4];
};

// The robot's exports in its row's order, with their arguments. A module that
// does not load, a missing export or a call that throws ends them, and what was
// written before stands; a loaded module is always freed. Returns the module
// file that could not be bound (robot 5's second one, maybe), null when every
// call ran.
const char* CallExports(platform::System& system, const RobotEntry& robot, const RobotRecords& records);
