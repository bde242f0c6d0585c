#include "RobotTable.h"

#include <iterator>

namespace {
using K = CallKind;
constexpr ExportCall kMove{K::Move, "Move"};
constexpr ExportCall kMotion{K::Motion, "Motion"};
constexpr ExportCall W(const char* name, int weapon) { return {K::Weapon, name, weapon}; }
constexpr ExportCall Fillers(int weapon) { return {K::Fillers, "MSL", weapon}; }
}  // namespace

constexpr RobotEntry kRobotTable[] = {
    {.module = "Quillet", .speedBias = 0,
     .calls = {{K::VidiruMove, "VidiruMove"}, {K::Motion, "VidiruMotion"}, W("VidiruMGN", 1), W("VidiruSTK", 2),
               W("VidiruMSL", 3), Fillers(3)},
     .weapons = 3, .perPart = {false, false, false, false}, .reportsEachBuffer = false,
     .ladderRoute = 0, .locked = false},
    {.module = "Wynmar", .speedBias = 1,
     .calls = {kMove, kMotion, W("BuzzBMGN", 1), W("BuzzBSPK", 2), W("BuzzBFLY", 3)},
     .weapons = 3, .perPart = {false, false, true, false}, .reportsEachBuffer = false,
     .ladderRoute = 0, .locked = false},
    {.module = "Mirrow", .speedBias = -1,
     .calls = {kMove, kMotion, W("ZErovGND", 1), W("ZErovCRW", 2), W("ZErovLZR", 3), W("ZErovNPM", 4)},
     .weapons = 4, .perPart = {false, false, true, true}, .reportsEachBuffer = false,
     .ladderRoute = 1, .locked = false},
    {.module = "Saltrim", .speedBias = 1,
     .calls = {kMove, kMotion, W("DFAcid", 1), W("DFTonfer", 2), W("DFBazooka", 3)},
     .weapons = 3, .perPart = {false, false, true, false}, .reportsEachBuffer = true,
     .ladderRoute = 1, .locked = false},
    // Robot 5 borrows robot 1's stick and missiles from Quillet.
    {.module = "Umbrel", .speedBias = 0,
     .calls = {kMove, kMotion, W("VidiruVRFL", 1), {K::NextModule, "Quillet"}, W("VidiruSTK", 2), W("VidiruMSL", 3),
               Fillers(3)},
     .weapons = 3, .perPart = {false, false, true, false}, .reportsEachBuffer = false,
     .ladderRoute = 0, .locked = false},
    {.module = "Zentil", .speedBias = 0,
     .calls = {kMove, kMotion, W("DIvoSHT", 1), W("DIvoCHN", 2), W("DIvoMIN", 3)},
     .weapons = 3, .perPart = {true, false, true, false}, .reportsEachBuffer = false,
     .ladderRoute = 1, .locked = false},
    {.module = "Brakon", .speedBias = -2,
     .calls = {kMove, kMotion, W("DoviGTR", 1), W("DoviLZR", 2), W("DoviCNN", 3), W("DoviMSL", 4), Fillers(4)},
     .weapons = 4, .perPart = {false, false, false, false}, .reportsEachBuffer = false,
     .ladderRoute = 0, .locked = false},
    {.module = "Tessor", .speedBias = -1,
     .calls = {kMove, kMotion, W("FMHGTR", 1), W("FMHSWD", 2), W("FMHCPR", 3), W("FMHRKT", 4)},
     .weapons = 4, .perPart = {false, false, true, true}, .reportsEachBuffer = false,
     .ladderRoute = 0, .locked = false},
    {.module = "Kelvash", .speedBias = -2,
     .calls = {kMove, kMotion, W("TDodarSHT", 1), W("TDodarBSG", 2), W("TDodarCNN", 3), W("TDodarRKT", 4)},
     .weapons = 4, .perPart = {true, true, true, true}, .reportsEachBuffer = false,
     .ladderRoute = 1, .locked = false},
    {.module = "Corvath", .speedBias = 1,
     .calls = {kMove, kMotion, W("ZozerRFL", 1), W("ZozerCRW", 2), W("ZozerLZR", 3)},
     .weapons = 3, .perPart = {false, false, true, false}, .reportsEachBuffer = false,
     .ladderRoute = 1, .locked = false},
    // The one robot a survival run unlocks.
    {.module = "Doraph", .speedBias = 1,
     .calls = {kMove, kMotion, W("RodiRFL", 1), W("RodiFLY", 2), W("RodiNPM", 3)},
     .weapons = 3, .perPart = {false, true, true, false}, .reportsEachBuffer = false,
     .ladderRoute = 1, .locked = true},
};
static_assert(std::size(kRobotTable) == kRobotCount,
              "a row for every robot: write the new robot's row (module, bias, calls, weapons, ladder, lock)");

namespace {
constexpr bool EveryRouteIsALadder() {
    for (const RobotEntry& robot : kRobotTable)
        if (robot.ladderRoute < 0 || robot.ladderRoute >= static_cast<int>(std::size(kCpuLadder))) return false;
    return true;
}
}  // namespace
static_assert(EveryRouteIsALadder(), "a robot's ladderRoute names a row of kCpuLadder");

int LadderRouteOf(std::int32_t number) { return IsRobot(number) ? kRobotTable[number - 1].ladderRoute : 0; }

bool Selectable(std::int32_t number, bool unlocked) {
    return IsRobot(number) && (unlocked || !kRobotTable[number - 1].locked);
}
