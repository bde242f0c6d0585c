// The survival score file: the five best runs kept in "score.drr" with three
// check values, read when the select screen opens and when a run is recorded.
#include "Devices.h"
#include "GameState.h"
#include "ScoreStore.h"

#include <string>
#include <type_traits>

namespace {

static_assert(std::extent_v<decltype(TForm1::ScoreTable)> == std::extent_v<ScoreImage> && kScoreEntries == 5);

constexpr std::int32_t kUnlockKills = 10;

platform::Files& Files(Devices& devices) { return *devices.services.files; }
std::string ScorePath(Devices& devices) { return devices.services.system->CurrentDirectory() + "/score.drr"; }

}  // namespace

void TForm1::ReadScoreEntries() {
    if (ReadStoredEntries(Files(devices), ScorePath(devices), ScoreTable) && ScoreTable[0] >= kUnlockKills)
        robot11Unlocked = 1;
}

void TForm1::RecordSurvivalRun() {
    const bool stored = StoreSurvivalRun(Files(devices), ScorePath(devices), ScoreTable, survivalKills, p1RobotNumber);
    scoreFileError = stored ? 0 : 1;
}
