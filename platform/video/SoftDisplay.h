// What both displays share: the picture is drawn in memory on a software
// canvas, with pens and brushes that live from creation to deletion.
#pragma once

#include "Display.h"
#include "SoftCanvas.h"

namespace platform {

class SoftDisplay : public Display {
public:
    PenId CreatePen(int width, Color color) override { return objects_.CreatePen(width, color); }
    BrushId CreateBrush(Color color) override { return objects_.CreateBrush(color); }
    void DeletePen(PenId pen) override { objects_.DeletePen(pen); }
    void DeleteBrush(BrushId brush) override { objects_.DeleteBrush(brush); }

protected:
    SoftDisplay() : canvas_(objects_) {}

    PaintObjects objects_;
    SoftCanvas canvas_;
};

}  // namespace platform
