#include "RobotTable.h"

#include <iterator>

namespace {
using K = CallKind;
constexpr ExportCall kMove{K::Move, "Move"};
constexpr ExportCall kMotion{K::Motion, "Motion"};
constexpr ExportCall W(const char* name, int weapon) { return {K::Weapon, name, weapon}; }
constexpr ExportCall Fillers(int weapon) { return {K::Fillers, "MSL", weapon}; }
}  // namespace

const RobotEntry kRobotTable[] = {
    {"Quillet", 0,
     {{K::VidiruMove, "VidiruMove"}, {K::Motion, "VidiruMotion"}, W("VidiruMGN", 1), W("VidiruSTK", 2),
      W("VidiruMSL", 3), Fillers(3)},
     3, {false, false, false, false}, false},
    {"Wynmar", 1, {kMove, kMotion, W("BuzzBMGN", 1), W("BuzzBSPK", 2), W("BuzzBFLY", 3)},
     3, {false, false, true, false}, false},
    {"Mirrow", -1, {kMove, kMotion, W("ZErovGND", 1), W("ZErovCRW", 2), W("ZErovLZR", 3), W("ZErovNPM", 4)},
     4, {false, false, true, true}, false},
    {"Saltrim", 1, {kMove, kMotion, W("DFAcid", 1), W("DFTonfer", 2), W("DFBazooka", 3)},
     3, {false, false, true, false}, true},
    // Robot 5 borrows robot 1's stick and missiles from Quillet.
    {"Umbrel", 0,
     {kMove, kMotion, W("VidiruVRFL", 1), {K::NextModule, "Quillet"}, W("VidiruSTK", 2), W("VidiruMSL", 3),
      Fillers(3)},
     3, {false, false, true, false}, false},
    {"Zentil", 0, {kMove, kMotion, W("DIvoSHT", 1), W("DIvoCHN", 2), W("DIvoMIN", 3)},
     3, {true, false, true, false}, false},
    {"Brakon", -2, {kMove, kMotion, W("DoviGTR", 1), W("DoviLZR", 2), W("DoviCNN", 3), W("DoviMSL", 4), Fillers(4)},
     4, {false, false, false, false}, false},
    {"Tessor", -1, {kMove, kMotion, W("FMHGTR", 1), W("FMHSWD", 2), W("FMHCPR", 3), W("FMHRKT", 4)},
     4, {false, false, true, true}, false},
    {"Kelvash", -2, {kMove, kMotion, W("TDodarSHT", 1), W("TDodarBSG", 2), W("TDodarCNN", 3), W("TDodarRKT", 4)},
     4, {true, true, true, true}, false},
    {"Corvath", 1, {kMove, kMotion, W("ZozerRFL", 1), W("ZozerCRW", 2), W("ZozerLZR", 3)},
     3, {false, false, true, false}, false},
    {"Doraph", 1, {kMove, kMotion, W("RodiRFL", 1), W("RodiFLY", 2), W("RodiNPM", 3)},
     3, {false, true, true, false}, false},
};
static_assert(std::size(kRobotTable) == kRobotCount, "a row for every robot");
