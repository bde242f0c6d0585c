#include "Background.h"

namespace {

constexpr int kColumns = 6;
constexpr int kRows = 5;

}  // namespace

// The lattice moves by the whole delta; once its first point has left the
// window -200 .. 0 on an axis, one shift on that axis brings it back by a
// cell. Rows before columns.
void TForm1::BackMove(std::int32_t dx, std::int32_t dy) {
    for (auto& column : BackgroundGrid)
        for (auto& point : column) {
            // Wraps around rather than overflow; the lattice stays regular either way.
            point.x = static_cast<std::int32_t>(static_cast<std::uint32_t>(point.x) + static_cast<std::uint32_t>(dx));
            point.y = static_cast<std::int32_t>(static_cast<std::uint32_t>(point.y) + static_cast<std::uint32_t>(dy));
        }
    const std::int32_t x = BackgroundGrid[0][0].x, y = BackgroundGrid[0][0].y;
    if (y < -kGridCell) BackUp();
    else if (y > 0) BackDown();
    if (x < -kGridCell) BackLeft();
    else if (x > 0) BackRight();
}

void TForm1::BackUp() {
    for (auto& column : BackgroundGrid) {
        for (int r = 0; r < kRows - 1; ++r) column[r] = column[r + 1];
        column[kRows - 1] = {column[kRows - 2].x, column[kRows - 2].y + kGridCell};
    }
}

void TForm1::BackDown() {
    for (auto& column : BackgroundGrid) {
        for (int r = kRows - 1; r >= 1; --r) column[r] = column[r - 1];
        column[0] = {column[1].x, column[1].y - kGridCell};
    }
}

void TForm1::BackRight() {
    for (int i = kColumns - 1; i >= 1; --i)
        for (int r = 0; r < kRows; ++r) BackgroundGrid[i][r] = BackgroundGrid[i - 1][r];
    for (int r = 0; r < kRows; ++r) BackgroundGrid[0][r] = {BackgroundGrid[1][r].x - kGridCell, BackgroundGrid[1][r].y};
}

void TForm1::BackLeft() {
    for (int i = 0; i < kColumns - 1; ++i)
        for (int r = 0; r < kRows; ++r) BackgroundGrid[i][r] = BackgroundGrid[i + 1][r];
    for (int r = 0; r < kRows; ++r)
        BackgroundGrid[kColumns - 1][r] = {BackgroundGrid[kColumns - 2][r].x + kGridCell, BackgroundGrid[kColumns - 2][r].y};
}

// The last column's vertical and the last row's horizontal are never drawn:
// they lie off the screen.
void DrawBackLine(const Scene& scene, platform::Canvas& dc) {
    const auto& grid = scene.state.BackgroundGrid;
    for (int i = 0; i < kColumns - 1; ++i)
        for (int j = 0; j < kRows - 1; ++j) {
            const FormState::GridPoint& at = grid[i][j];
            dc.SelectPen(scene.paints.penGrid);
            dc.MoveTo(at.x, at.y);
            dc.LineTo(grid[i][j + 1].x, grid[i][j + 1].y);
            dc.MoveTo(at.x, at.y);
            dc.LineTo(grid[i + 1][j].x, grid[i + 1][j].y);
        }
}
