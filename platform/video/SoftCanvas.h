// The game picture in memory: an 800 x 600 32-bit surface that both back
// ends draw on, with the solid pens and brushes the displays hand out.
#pragma once

#include "Canvas.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct SDL_Surface;
struct SDL_Renderer;

namespace platform {

class TextCache;

constexpr bool operator==(Color a, Color b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

struct Pen {
    int width;
    Color color;
};

// Pens and brushes by id. Ids are never reused, so a stale id stays unknown.
class PaintObjects {
public:
    PenId CreatePen(int width, Color color);
    BrushId CreateBrush(Color color);
    void DeletePen(PenId pen);
    void DeleteBrush(BrushId brush);
    const Pen* FindPen(PenId pen) const;
    const Color* FindBrush(BrushId brush) const;
    int LivePens() const;
    int LiveBrushes() const;

private:
    std::vector<std::optional<Pen>> pens_;      // id - 1
    std::vector<std::optional<Color>> brushes_;  // id - 1
};

// One text as it was asked for, for tests to read back.
struct DrawnText {
    std::int32_t x, y;
    Color color;
    bool transparent;
    std::string text;
};

class SoftCanvas final : public Canvas {
public:
    explicit SoftCanvas(const PaintObjects& objects);
    ~SoftCanvas() override;
    SoftCanvas(const SoftCanvas&) = delete;
    SoftCanvas& operator=(const SoftCanvas&) = delete;

    // Frame boundaries: the context's defaults come back at each begin, and
    // the end makes every pending drawing land in the surface.
    void BeginFrame();
    void EndFrame();

    SDL_Surface* Surface();  // XRGB8888, 800 x 600; flushed
    Color Pixel(int x, int y);  // black outside the picture
    bool HasFont() const;
    void SetTextLog(std::vector<DrawnText>* log) { textLog_ = log; }

    void SelectPen(PenId pen) override;
    void SelectBrush(BrushId brush) override;
    void FillRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                  BrushId brush) override;
    void MoveTo(std::int32_t x, std::int32_t y) override;
    void LineTo(std::int32_t x, std::int32_t y) override;
    void Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) override;
    void Rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) override;
    void SetTextTransparent() override;
    void SetTextColor(Color color) override;
    void TextOut(std::int32_t x, std::int32_t y, const char* text) override;

private:
    class EllipseRows;
    struct Box {  // right and bottom just outside, in 64 bits so no edge can overflow
        std::int64_t left, top, right, bottom;
    };

    void FillBox(Box box, Color color);
    // The ellipse of `outer` less that of `inner`, which holeColor fills if given.
    void FillEllipseRing(Box outer, std::optional<Box> inner, Color color, std::optional<Color> holeColor = std::nullopt);
    void FillEllipse(Box box, Color color) { FillEllipseRing(box, std::nullopt, color); }
    void DrawLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, const Pen& pen);

    const PaintObjects& objects_;
    SDL_Surface* surface_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    std::unique_ptr<TextCache> text_;
    std::unique_ptr<EllipseRows> ellipses_;
    std::vector<DrawnText>* textLog_ = nullptr;

    std::optional<Pen> pen_;
    std::optional<Color> brush_;
    bool textTransparent_ = false;
    Color textColor_{0, 0, 0};
    std::int32_t currentX_ = 0, currentY_ = 0;
};

}  // namespace platform
