// The eight missile path fillers, exported unchanged by every module with
// steering missiles (Brakon, Quillet); built into each.
#include "Weapons.h"

using robotkit::FillMissilePath;
using robotkit::kMissileCurves;

ROBOT_EXPORT(PathFillerExport, MSL_UN)(std::int32_t plane, ShotTrackTable* tracks) { FillMissilePath(plane, *tracks, kMissileCurves[UN]); }
ROBOT_EXPORT(PathFillerExport, MSL_UR)(std::int32_t plane, ShotTrackTable* tracks) { FillMissilePath(plane, *tracks, kMissileCurves[UR]); }
ROBOT_EXPORT(PathFillerExport, MSL_NR)(std::int32_t plane, ShotTrackTable* tracks) { FillMissilePath(plane, *tracks, kMissileCurves[NR]); }
ROBOT_EXPORT(PathFillerExport, MSL_DR)(std::int32_t plane, ShotTrackTable* tracks) { FillMissilePath(plane, *tracks, kMissileCurves[DR]); }
ROBOT_EXPORT(PathFillerExport, MSL_DN)(std::int32_t plane, ShotTrackTable* tracks) { FillMissilePath(plane, *tracks, kMissileCurves[DN]); }
ROBOT_EXPORT(PathFillerExport, MSL_DL)(std::int32_t plane, ShotTrackTable* tracks) { FillMissilePath(plane, *tracks, kMissileCurves[DL]); }
ROBOT_EXPORT(PathFillerExport, MSL_NL)(std::int32_t plane, ShotTrackTable* tracks) { FillMissilePath(plane, *tracks, kMissileCurves[NL]); }
ROBOT_EXPORT(PathFillerExport, MSL_UL)(std::int32_t plane, ShotTrackTable* tracks) { FillMissilePath(plane, *tracks, kMissileCurves[UL]); }
