// The result screen of a survival run: the score table, or the file error,
// shown until the 600th frame of the versus screen's count.
#include "Screens.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr std::int32_t kResultFrames = 600;
constexpr platform::Color kWhite{255, 255, 255};

// Only the numbers the game knows have a name; anything an edited file holds shows none.
const char* ResultName(std::int32_t robot) {
    if (robot == 0) return kEmptyResultRobot;
    if (IsRobot(robot)) return kRobotNames[robot - 1].result;
    return "";
}

}  // namespace

StageExit TForm1::ResultStage() {
    // The count goes on from the versus screen's, so the table shows 361-600 frames.
    if (++StageFrameCounter < kResultFrames) return StageExit::Stay;
    StageFrameCounter = 0;
    GameStage = StageModeMenu;
    scoreFileError = 0;
    return StageExit::ToStart;
}

DrawReport Draw_Result(const Scene& scene, platform::Canvas& dc) {
    // Only the box: the versus screen's last picture stays around it.
    dc.SelectBrush(scene.paints.brushBlue);
    dc.FillRect(200, 200, 600, 400, scene.paints.brushBlue);
    dc.SetTextTransparent();
    dc.SetTextColor(kWhite);

    if (scene.state.scoreFileError == 1) {
        dc.TextOut(250, 210, "File Error(ファイルを初期化(すべて０にする。)します。)");
        return {};
    }
    dc.TextOut(250, 210, "Great Surviver's SCORE!!");
    static constexpr const char* kLines[kScoreEntries] = {
        "First Score  : %d　機", "Second Score : %d　機", "Third Score  : %d　機",
        "Fourth Score : %d　機", "Fifth Score  : %d　機",
    };
    for (std::size_t n = 0; n < kScoreEntries; ++n) {
        const std::int32_t y = 240 + 30 * static_cast<std::int32_t>(n);
        char line[64];
        std::snprintf(line, sizeof line, kLines[n], static_cast<int>(scene.state.ScoreTable[2 * n]));
        dc.TextOut(250, y, line);
        dc.TextOut(440, y, ResultName(scene.state.ScoreTable[2 * n + 1]));
    }
    return {};
}
