#include "Background.h"
#include "GameFixture.h"

namespace {

class Background : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        form->HomeBackgroundGrid();
    }
    // The lattice stays regular with its first point at (x0, y0).
    void ExpectAt(int x0, int y0) {
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 5; ++j) {
                ASSERT_EQ(form->BackgroundGrid[i][j].x, x0 + 200 * i);
                ASSERT_EQ(form->BackgroundGrid[i][j].y, y0 + 200 * j);
            }
    }
};

}  // namespace

TEST_F(Background, TheGridMovesAndWrapsOneCellPerAxisWhenItsFirstPointLeavesTheWindow) {
    form->BackMove(0, 0);
    ExpectAt(-100, -100);
    form->BackMove(-101, 0);
    ExpectAt(-1, -100);
    form->BackMove(1, 100);  // the window's edges: no wrap
    ExpectAt(0, 0);
    form->BackMove(-200, -200);
    ExpectAt(-200, -200);
    form->BackMove(200, 200);
    form->BackMove(-900, 0);  // one cell per call
    ExpectAt(-700, 0);
    for (int dx : {-150, 0, 150})
        for (int dy : {-150, 0, 150}) {
            form->HomeBackgroundGrid();
            form->BackMove(dx, dy);
            ExpectAt(-100 + dx - (dx > 0) * 200 + (dx < 0) * 200, -100 + dy - (dy > 0) * 200 + (dy < 0) * 200);
        }
}

TEST_F(Background, DrawsItsLinesWithTheGridPen) {
    MakeScreen();
    devices.display.penGrid = video->display.CreatePen(1, {0, 120, 0});
    DrawBackLine(View(), *canvas);
    EXPECT_EQ(video->display.Pixel(100, 50).g, 120);
    EXPECT_EQ(video->display.Pixel(50, 300).g, 120);
    EXPECT_EQ(video->display.Pixel(50, 50).g, 0);
}
