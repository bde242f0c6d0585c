#include "VideoTestSupport.h"

#include <climits>

namespace platform {
namespace {

TEST_F(CanvasTest, EllipseFillsWithTheBrushAndOutlinesWithThePenInsideItsBox) {
    canvas->SelectBrush(green);
    canvas->SelectPen(red1);
    canvas->Ellipse(100, 100, 140, 120);
    EXPECT_EQ(display.Pixel(120, 110), kGreen);
    EXPECT_EQ(display.Pixel(100, 110), kRed);
    EXPECT_EQ(display.Pixel(139, 110), kRed);
    EXPECT_EQ(display.Pixel(120, 100), kRed);
    EXPECT_EQ(display.Pixel(120, 119), kRed);
    EXPECT_EQ(display.Pixel(101, 101), kBlack);  // the corner lies outside the curve
    EXPECT_EQ(CountRow(110, kBlack, 90, 150), 20);      // 40 wide: nothing at x = 140 or left of 100
    EXPECT_EQ(CountColumn(120, kBlack, 90, 130), 20);   // 20 high
    EXPECT_EQ(CountRow(110, kRed, 90, 150), 2);
}

TEST_F(CanvasTest, ThickPenOutlineIsCentredOnTheEllipseEdge) {
    canvas->SelectBrush(green);
    canvas->SelectPen(red15);
    canvas->Ellipse(200, 200, 400, 400);
    EXPECT_EQ(display.Pixel(192, 300), kBlack);
    EXPECT_EQ(display.Pixel(193, 300), kRed);
    EXPECT_EQ(display.Pixel(207, 300), kRed);
    EXPECT_EQ(display.Pixel(208, 300), kGreen);
    EXPECT_EQ(CountRow(300, kRed), 30);
}

TEST_F(CanvasTest, LinesAreAsWideAsTheirPens) {
    for (auto [pen, width] : {std::pair{red1, 1}, std::pair{red6, 6}, std::pair{red15, 15}}) {
        canvas->FillRect(0, 0, 800, 600, black);
        canvas->SelectPen(pen);
        canvas->MoveTo(100, 300);
        canvas->LineTo(500, 300);
        EXPECT_EQ(CountColumn(300, kRed), width);
        canvas->FillRect(0, 0, 800, 600, black);
        canvas->MoveTo(400, 100);
        canvas->LineTo(400, 500);
        EXPECT_EQ(CountRow(300, kRed), width);
    }
}

TEST_F(CanvasTest, FillRectLeavesTheRightAndBottomEdgesUnfilled) {
    canvas->FillRect(10, 20, 30, 40, blue);
    EXPECT_EQ(display.Pixel(10, 20), kBlue);
    EXPECT_EQ(display.Pixel(29, 39), kBlue);
    EXPECT_EQ(display.Pixel(30, 39), kBlack);
    EXPECT_EQ(display.Pixel(29, 40), kBlack);
    EXPECT_EQ(CountRow(30, kBlue), 20);
    canvas->FillRect(50, 50, 50, 60, blue);  // empty
    EXPECT_EQ(CountRow(55, kBlue), 0);
}

TEST_F(CanvasTest, UnknownZeroOrDeletedPensAndBrushesDrawNothing) {
    const PenId gone = display.CreatePen(6, kGreen);
    display.DeletePen(gone);
    canvas->SelectPen(gone);
    canvas->SelectBrush(9999);
    canvas->Ellipse(100, 100, 200, 200);
    canvas->MoveTo(0, 150);
    canvas->LineTo(799, 150);
    canvas->FillRect(0, 0, 800, 600, 0);
    EXPECT_EQ(CountRow(150, kBlack), 800);

    canvas->SelectPen(red1);
    canvas->SelectBrush(0);  // outline only
    canvas->Rectangle(100, 100, 200, 200);
    EXPECT_EQ(display.Pixel(100, 150), kRed);
    EXPECT_EQ(display.Pixel(150, 150), kBlack);
}

TEST_F(CanvasTest, TransparentTextLeavesTheBackgroundAndOpaqueTextBoxesItInWhite) {
    if (!display.Picture().HasFont()) GTEST_SKIP() << "no IPA Gothic font";
    canvas->FillRect(0, 0, 800, 600, blue);
    canvas->TextOut(10, 10, "Ammo1:12");
    EXPECT_EQ(display.Pixel(10, 10), kWhite);
    EXPECT_GT(CountRow(12, kWhite, 0, 100), 0);

    canvas->FillRect(0, 0, 800, 600, blue);
    canvas->SetTextTransparent();
    canvas->SetTextColor(Color{255, 255, 0});
    canvas->TextOut(10, 10, "Ammo1:12");
    int white = 0, blue = 0;
    for (int y = 5; y < 30; ++y) {
        white += CountRow(y, kWhite, 0, 100);
        blue += CountRow(y, kBlue, 0, 100);
    }
    EXPECT_EQ(white, 0);
    EXPECT_LT(blue, 25 * 100 - 50);  // the glyphs, and nothing else, cover the background
    EXPECT_EQ(display.Pixel(10, 10), kBlue);
}

TEST_F(CanvasTest, JapaneseTextRendersItsOwnGlyphs) {
    if (!display.Picture().HasFont()) GTEST_SKIP() << "no IPA Gothic font";
    canvas->SetTextTransparent();
    canvas->SetTextColor(kWhite);
    canvas->TextOut(0, 0, "読");
    canvas->TextOut(0, 100, "込");
    int lit = 0, differ = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            lit += display.Pixel(x, y) != kBlack;
            differ += display.Pixel(x, y) != display.Pixel(x, y + 100);  // not one missing-glyph box twice
        }
    }
    EXPECT_GT(lit, 30);
    EXPECT_GT(differ, 10);
}

TEST_F(CanvasTest, HugeAndNegativeCoordinatesClipWithoutWrapping) {
    canvas->SelectPen(red15);
    canvas->MoveTo(INT_MIN, 300);
    canvas->LineTo(INT_MAX, 300);
    EXPECT_EQ(CountRow(300, kRed), 800);
    EXPECT_EQ(CountColumn(400, kRed), 15);

    canvas->FillRect(0, 0, 800, 600, black);
    canvas->SelectPen(red1);
    canvas->MoveTo(-70000, -70000);  // would wrap to other places in 16 bits
    canvas->LineTo(70000, 70000);
    EXPECT_EQ(display.Pixel(300, 300), kRed);
    EXPECT_EQ(CountRow(300, kRed), 1);

    canvas->SelectBrush(green);
    canvas->Ellipse(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ(CountRow(0, kGreen) + CountRow(599, kGreen), 1600);

    canvas->Rectangle(-40000, 100, 40000, 200);
    EXPECT_EQ(CountRow(100, kRed), 800);
    EXPECT_EQ(CountRow(150, kGreen), 800);

    canvas->FillRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, blue);
    EXPECT_EQ(CountRow(599, kBlue), 800);
    canvas->TextOut(INT_MAX, INT_MAX, "x");
    canvas->TextOut(INT_MIN, INT_MIN, "x");
    canvas->Ellipse(INT_MAX, INT_MAX, INT_MIN + 1, INT_MIN + 1);
}

}  // namespace
}  // namespace platform
