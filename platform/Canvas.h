// Drawing on the 800 x 600 game picture through the context taken once a
// frame: the display's solid pens and brushes selected into it, lines,
// ellipses, rectangles and text. A pen or brush that does not exist draws nothing.
#pragma once

#include <cstdint>

namespace platform {

struct Color {
    std::uint8_t r, g, b;
};

using PenId = int;    // 0 is no pen
using BrushId = int;  // 0 is no brush

inline constexpr int kPictureWidth = 800;
inline constexpr int kPictureHeight = 600;

// Coordinates are picture pixels; any int32 value is clipped, never a crash.
// Rectangles follow the usual convention: left and top inside, right and
// bottom just outside. A new frame's context starts with the defaults: a
// black pen of width 1, a white brush, an opaque text background and black
// text; a selection then holds until the frame ends.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void SelectPen(PenId pen) = 0;
    virtual void SelectBrush(BrushId brush) = 0;

    virtual void FillRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                          BrushId brush) = 0;
    virtual void MoveTo(std::int32_t x, std::int32_t y) = 0;
    virtual void LineTo(std::int32_t x, std::int32_t y) = 0;  // with the pen; the current point moves
    // Filled with the selected brush, outlined with the selected pen.
    virtual void Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) = 0;
    virtual void Rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) = 0;

    virtual void SetTextTransparent() = 0;
    virtual void SetTextColor(Color color) = 0;
    // UTF-8 text in the default font, its top-left corner at (x, y).
    virtual void TextOut(std::int32_t x, std::int32_t y, const char* text) = 0;
};

}  // namespace platform
