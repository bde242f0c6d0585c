#include "SoftCanvas.h"

#include "TextCache.h"
#include "ThickLine.h"

#include <SDL.h>
#include <SDL2_gfxPrimitives.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace platform {
namespace {

constexpr int kMaxPenWidth = 255;  // the widest thick line; keeps every padded coordinate in 16 bits
constexpr Color kWhite{255, 255, 255};

template <typename T>
const T* FindLive(const std::vector<std::optional<T>>& table, int id) {
    if (id <= 0 || static_cast<std::size_t>(id) > table.size() || !table[id - 1]) return nullptr;
    return &*table[id - 1];
}

template <typename T>
int CountLive(const std::vector<std::optional<T>>& table) {
    return static_cast<int>(std::count_if(table.begin(), table.end(), [](const auto& o) { return o.has_value(); }));
}

// The pixels [first, last] of row y inside the ellipse inscribed in a box:
// those whose centres lie within it. Empty when first > last.
struct Span {
    std::int64_t first, last;
};

template <typename Box>
Span EllipseRow(const Box& box, std::int64_t y) {
    const double a = (static_cast<double>(box.right) - static_cast<double>(box.left)) / 2;
    const double b = (static_cast<double>(box.bottom) - static_cast<double>(box.top)) / 2;
    const double cx = static_cast<double>(box.left) + a;
    const double dy = (static_cast<double>(y) + 0.5 - (static_cast<double>(box.top) + b)) / b;
    if (dy < -1 || dy > 1) return {1, 0};
    const double half = a * std::sqrt(1 - dy * dy);
    return {static_cast<std::int64_t>(std::ceil(cx - half - 0.5)),
            static_cast<std::int64_t>(std::floor(cx + half - 0.5))};
}

// Clips the segment to the rectangle [lo, hi] (Liang-Barsky); false when none of it is inside.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double loX, double loY, double hiX,
                 double hiY) {
    double t0 = 0, t1 = 1;
    const double dx = x2 - x1, dy = y2 - y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - loX, hiX - x1, y1 - loY, hiY - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) return false;
    }
    const double sx = x1, sy = y1;
    x1 = sx + t0 * dx;
    y1 = sy + t0 * dy;
    x2 = sx + t1 * dx;
    y2 = sy + t1 * dy;
    return true;
}

}  // namespace

// ---- pens and brushes ----

PenId PaintObjects::CreatePen(int width, Color color) {
    pens_.push_back(Pen{std::clamp(width, 1, kMaxPenWidth), color});  // width 0 draws one pixel wide
    return static_cast<PenId>(pens_.size());
}

BrushId PaintObjects::CreateBrush(Color color) {
    brushes_.push_back(color);
    return static_cast<BrushId>(brushes_.size());
}

void PaintObjects::DeletePen(PenId pen) {
    if (FindPen(pen)) pens_[pen - 1].reset();
}

void PaintObjects::DeleteBrush(BrushId brush) {
    if (FindBrush(brush)) brushes_[brush - 1].reset();
}

const Pen* PaintObjects::FindPen(PenId pen) const { return FindLive(pens_, pen); }
const Color* PaintObjects::FindBrush(BrushId brush) const { return FindLive(brushes_, brush); }
int PaintObjects::LivePens() const { return CountLive(pens_); }
int PaintObjects::LiveBrushes() const { return CountLive(brushes_); }

// ---- the canvas ----

// The row extents of ellipses by box size, relative to the box's corner: the
// square root, floor and ceiling of a row are paid once per size, not once
// per ellipse drawn. A fixed table, made with the canvas; a size that does
// not fit, or whose slot another ellipse of the same figure holds, is
// computed row by row as before.
class SoftCanvas::EllipseRows {
public:
    struct RowSpan {
        std::int32_t first, last;  // from the box's left edge
    };

    static constexpr int kSlots = 127;  // prime, so every size spreads over all slots
    static constexpr std::int64_t kMaxSize = 320;

    EllipseRows() : spans_(static_cast<std::size_t>(kSlots) * kMaxSize) {}

    int SlotOf(std::int64_t width, std::int64_t height) const {
        if (width <= 0 || height <= 0 || width > kMaxSize || height > kMaxSize) return -1;
        return static_cast<int>((width * 1031 + height) % kSlots);
    }
    // Rows 0 to height - 1 of the ellipse in a width x height box at the origin.
    const RowSpan* Rows(int slot, std::int64_t width, std::int64_t height) {
        Key& key = keys_[slot];
        RowSpan* rows = &spans_[static_cast<std::size_t>(slot) * kMaxSize];
        if (key.width != width || key.height != height) {
            for (std::int64_t y = 0; y < height; ++y) {
                const Span span = EllipseRow(Box{0, 0, width, height}, y);
                rows[y] = {static_cast<std::int32_t>(span.first), static_cast<std::int32_t>(span.last)};
            }
            key = {width, height};
        }
        return rows;
    }

private:
    struct Box {
        std::int64_t left, top, right, bottom;
    };
    struct Key {
        std::int64_t width = 0, height = 0;
    };
    std::array<Key, kSlots> keys_{};
    std::vector<RowSpan> spans_;
};

SoftCanvas::SoftCanvas(const PaintObjects& objects)
    : objects_(objects), text_(std::make_unique<TextCache>()), ellipses_(std::make_unique<EllipseRows>()) {
    surface_ = SDL_CreateRGBSurfaceWithFormat(0, kPictureWidth, kPictureHeight, 32, SDL_PIXELFORMAT_XRGB8888);
    if (surface_) renderer_ = SDL_CreateSoftwareRenderer(surface_);
    if (renderer_) FillBox({0, 0, kPictureWidth, kPictureHeight}, Color{0, 0, 0});
    if (surface_) text_->Prepare(surface_);
    BeginFrame();
}

SoftCanvas::~SoftCanvas() {
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (surface_) SDL_FreeSurface(surface_);
}

void SoftCanvas::BeginFrame() {
    pen_ = Pen{1, Color{0, 0, 0}};
    brush_ = kWhite;
    textTransparent_ = false;
    textColor_ = Color{0, 0, 0};
    currentX_ = currentY_ = 0;
}

void SoftCanvas::EndFrame() {
    if (renderer_) SDL_RenderFlush(renderer_);
}

SDL_Surface* SoftCanvas::Surface() {
    EndFrame();
    return surface_;
}

Color SoftCanvas::Pixel(int x, int y) {
    if (!Surface() || x < 0 || y < 0 || x >= kPictureWidth || y >= kPictureHeight) return Color{0, 0, 0};
    const auto* row = static_cast<const std::uint8_t*>(surface_->pixels) + static_cast<std::ptrdiff_t>(y) * surface_->pitch;
    Color color;
    SDL_GetRGB(reinterpret_cast<const Uint32*>(row)[x], surface_->format, &color.r, &color.g, &color.b);
    return color;
}

bool SoftCanvas::HasFont() const { return text_->HasFont(); }

void SoftCanvas::SelectPen(PenId pen) {
    const Pen* found = objects_.FindPen(pen);
    pen_ = found ? std::optional<Pen>(*found) : std::nullopt;
}

void SoftCanvas::SelectBrush(BrushId brush) {
    const Color* found = objects_.FindBrush(brush);
    brush_ = found ? std::optional<Color>(*found) : std::nullopt;
}

void SoftCanvas::FillBox(Box box, Color color) {
    const std::int64_t left = std::max<std::int64_t>(box.left, 0), top = std::max<std::int64_t>(box.top, 0);
    const std::int64_t right = std::min<std::int64_t>(box.right, kPictureWidth);
    const std::int64_t bottom = std::min<std::int64_t>(box.bottom, kPictureHeight);
    if (!renderer_ || left >= right || top >= bottom) return;
    // Plain stores: the renderer's fill streams past the cache, and the
    // picture cleared that way is read back from memory by the drawing after it.
    SDL_RenderFlush(renderer_);  // what the renderer queued lies underneath
    const Uint32 pixel = SDL_MapRGB(surface_->format, color.r, color.g, color.b);
    auto* const pixels = static_cast<std::uint8_t*>(surface_->pixels);
    for (std::int64_t y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<Uint32*>(pixels + y * surface_->pitch);
        FillPixels(row + left, row + right, pixel);
    }
}

// The ellipse of `outer` less that of `inner` (and that in the hole's colour
// if it has one), row by row over the visible rows only, written straight
// into the picture: exact for any box size, even or odd, and about ten times
// quicker than going through the renderer.
void SoftCanvas::FillEllipseRing(Box outer, std::optional<Box> inner, Color color, std::optional<Color> holeColor) {
    if (!renderer_) return;
    SDL_RenderFlush(renderer_);  // what the renderer queued lies underneath
    const Uint32 pixel = SDL_MapRGB(surface_->format, color.r, color.g, color.b);
    const Uint32 holePixel = holeColor ? SDL_MapRGB(surface_->format, holeColor->r, holeColor->g, holeColor->b) : 0;
    auto* const pixels = static_cast<std::uint8_t*>(surface_->pixels);
    auto paint = [&](std::int64_t y, std::int64_t first, std::int64_t last, Uint32 value) {
        first = std::max<std::int64_t>(first, 0);
        last = std::min<std::int64_t>(last, kPictureWidth - 1);
        if (first > last) return;
        auto* row = reinterpret_cast<Uint32*>(pixels + y * surface_->pitch);
        FillPixels(row + first, row + last + 1, value);
    };
    // A row of a box's ellipse, from the table when the box's size has a slot.
    using RowSpan = EllipseRows::RowSpan;
    auto rowsOf = [&](const Box& box, int avoidSlot) -> std::pair<const RowSpan*, int> {
        const int slot = ellipses_->SlotOf(box.right - box.left, box.bottom - box.top);
        if (slot < 0 || slot == avoidSlot) return {nullptr, -1};
        return {ellipses_->Rows(slot, box.right - box.left, box.bottom - box.top), slot};
    };
    auto rowAt = [](const Box& box, const RowSpan* rows, std::int64_t y) {
        if (y < box.top || y >= box.bottom) return Span{1, 0};
        if (!rows) return EllipseRow(box, y);
        const RowSpan span = rows[y - box.top];
        return Span{box.left + span.first, box.left + span.last};
    };
    const auto [outerRows, outerSlot] = rowsOf(outer, -1);
    const RowSpan* innerRows = inner ? rowsOf(*inner, outerSlot).first : nullptr;

    const std::int64_t top = std::max<std::int64_t>(outer.top, 0);
    const std::int64_t bottom = std::min<std::int64_t>(outer.bottom, kPictureHeight);
    if (outerRows && (!inner || innerRows) && outer.left >= 0 && outer.right <= kPictureWidth) {
        // The common case, a figure within the picture's sides with both
        // tables at hand: each row is read and written with nothing to clip.
        auto fill = [](Uint32* line, std::int64_t first, std::int64_t end, Uint32 value) {
            if (first < end) FillPixels(line + first, line + end, value);
        };
        for (std::int64_t y = top; y < bottom; ++y) {
            const RowSpan row = outerRows[y - outer.top];
            if (row.first > row.last) continue;
            auto* line = reinterpret_cast<Uint32*>(pixels + y * surface_->pitch) + outer.left;
            const RowSpan hole = inner && y >= inner->top && y < inner->bottom ? innerRows[y - inner->top] : RowSpan{1, 0};
            if (hole.first > hole.last) {
                fill(line, row.first, row.last + 1, pixel);
                continue;
            }
            const std::int64_t shift = inner->left - outer.left;  // the hole's row in the outer's terms
            fill(line, row.first, shift + hole.first, pixel);
            if (holeColor) fill(line, shift + hole.first, shift + hole.last + 1, holePixel);
            fill(line, shift + hole.last + 1, row.last + 1, pixel);
        }
        return;
    }
    for (std::int64_t y = top; y < bottom; ++y) {
        const Span row = rowAt(outer, outerRows, y);
        if (row.first > row.last) continue;
        const Span hole = inner ? rowAt(*inner, innerRows, y) : Span{1, 0};
        if (hole.first > hole.last) {
            paint(y, row.first, row.last, pixel);
        } else {
            paint(y, row.first, hole.first - 1, pixel);
            if (holeColor) paint(y, hole.first, hole.last, holePixel);
            paint(y, hole.last + 1, row.last, pixel);
        }
    }
}

void SoftCanvas::FillRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                          BrushId brush) {
    if (const Color* color = objects_.FindBrush(brush)) FillBox({left, top, right, bottom}, *color);
}

void SoftCanvas::MoveTo(std::int32_t x, std::int32_t y) {
    currentX_ = x;
    currentY_ = y;
}

void SoftCanvas::LineTo(std::int32_t x, std::int32_t y) {
    if (pen_) DrawLine(currentX_, currentY_, x, y, *pen_);
    currentX_ = x;
    currentY_ = y;
}

// Thin lines and thick ones with round ends (so the robots' corners close),
// clipped first to a margin wider than the pen: what is left fits 16 bits
// and spans at most a screen's worth of rows.
void SoftCanvas::DrawLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, const Pen& pen) {
    if (!renderer_) return;
    const double pad = pen.width + 2;
    double ax = static_cast<double>(x1), ay = static_cast<double>(y1);
    double bx = static_cast<double>(x2), by = static_cast<double>(y2);
    if (!ClipSegment(ax, ay, bx, by, -pad, -pad, kPictureWidth + pad, kPictureHeight + pad)) return;
    const auto sx1 = static_cast<Sint16>(std::lround(ax)), sy1 = static_cast<Sint16>(std::lround(ay));
    const auto sx2 = static_cast<Sint16>(std::lround(bx)), sy2 = static_cast<Sint16>(std::lround(by));
    const Color c = pen.color;
    if (pen.width == 1) {
        lineRGBA(renderer_, sx1, sy1, sx2, sy2, c.r, c.g, c.b, 255);
        return;
    }
    SDL_RenderFlush(renderer_);  // what the renderer queued lies underneath
    FillThickLine(surface_, sx1, sy1, sx2, sy2, pen.width, SDL_MapRGB(surface_->format, c.r, c.g, c.b));
    const std::int64_t half = pen.width / 2;
    for (auto [x, y] : {std::pair{x1, y1}, std::pair{x2, y2}})
        FillEllipse({x - half, y - half, x - half + pen.width, y - half + pen.width}, c);
}

namespace {
template <typename Box>
Box Normalized(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    return Box{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}
}  // namespace

// A pen is centred on the figure's edge: of width w it reaches w / 2 pixels
// outside the box and the rest inside; the brush fills what is within.
void SoftCanvas::Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    const Box box = Normalized<Box>(left, top, right, bottom);
    if (box.left == box.right || box.top == box.bottom) return;
    if (!pen_) {
        if (brush_) FillEllipse(box, *brush_);
        return;
    }
    const std::int64_t out = pen_->width / 2, in = pen_->width - out;
    const Box outer{box.left - out, box.top - out, box.right + out, box.bottom + out};
    const Box inner{box.left + in, box.top + in, box.right - in, box.bottom - in};
    const bool hollow = inner.left >= inner.right || inner.top >= inner.bottom;
    // The ring and what it holds are apart: both are drawn row by row at once.
    FillEllipseRing(outer, hollow ? std::nullopt : std::optional<Box>(inner), pen_->color,
                    hollow ? std::nullopt : brush_);
}

void SoftCanvas::Rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    const Box box = Normalized<Box>(left, top, right, bottom);
    if (box.left == box.right || box.top == box.bottom) return;
    if (!pen_) {
        if (brush_) FillBox(box, *brush_);
        return;
    }
    const std::int64_t out = pen_->width / 2, in = pen_->width - out;
    const Box outer{box.left - out, box.top - out, box.right + out, box.bottom + out};
    const Box inner{box.left + in, box.top + in, box.right - in, box.bottom - in};
    const Color c = pen_->color;
    if (inner.left >= inner.right || inner.top >= inner.bottom) {
        FillBox(outer, c);
        return;
    }
    if (brush_) FillBox(inner, *brush_);
    FillBox({outer.left, outer.top, outer.right, inner.top}, c);
    FillBox({outer.left, inner.bottom, outer.right, outer.bottom}, c);
    FillBox({outer.left, inner.top, inner.left, inner.bottom}, c);
    FillBox({inner.right, inner.top, outer.right, inner.bottom}, c);
}

void SoftCanvas::SetTextTransparent() { textTransparent_ = true; }
void SoftCanvas::SetTextColor(Color color) { textColor_ = color; }

void SoftCanvas::TextOut(std::int32_t x, std::int32_t y, const char* text) {
    if (!text) text = "";
    if (textLog_) textLog_->push_back(DrawnText{x, y, textColor_, textTransparent_, text});
    if (!renderer_ || !*text) return;
    auto rendered = text_->Get(text, textColor_);
    if (!rendered) return;
    SDL_Rect area = rendered->area;
    const int height = std::max(area.h, text_->Height());
    if (x >= kPictureWidth || y >= kPictureHeight || std::int64_t{x} + area.w <= 0 ||
        std::int64_t{y} + height <= 0)
        return;
    SDL_RenderFlush(renderer_);  // what the renderer queued lies under the text
    SDL_Rect place{x, y, area.w, height};
    if (!textTransparent_)
        SDL_FillRect(surface_, &place, SDL_MapRGB(surface_->format, kWhite.r, kWhite.g, kWhite.b));
    SDL_BlitSurface(rendered->surface, &area, surface_, &place);
}

}  // namespace platform
