#include "ThickLine.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace platform {

// The band is the four-cornered polygon thick lines always were: corners a
// little short of the width (most on the diagonals), truncated toward zero;
// each row's crossings in 16.16 fixed point, rounded in from either side,
// and a span whose ends have crossed drawn between them as they lie. A line
// of no length is a square from half a width before to a whole width after.
void FillThickLine(SDL_Surface* surface, int x1, int y1, int x2, int y2, int width, Uint32 pixel) {
    auto* const pixels = static_cast<std::uint8_t*>(surface->pixels);
    auto fill = [&](int y, int first, int last) {
        first = std::max(first, 0);
        last = std::min(last, surface->w - 1);
        if (y < 0 || y >= surface->h || first > last) return;
        auto* row = reinterpret_cast<Uint32*>(pixels + static_cast<std::ptrdiff_t>(y) * surface->pitch);
        FillPixels(row + first, row + last + 1, pixel);
    };
    if (x1 == x2 && y1 == y2) {
        const int half = width / 2;
        for (int y = std::max(y1 - half, 0); y <= std::min(y1 + width, surface->h - 1); ++y)
            fill(y, x1 - half, x1 + width);
        return;
    }
    const double dx = x2 - x1, dy = y2 - y1;
    const double length = SDL_sqrt(dx * dx + dy * dy);
    const double shortfall = 0.1 + 0.9 * SDL_fabs(SDL_cos(2.0 * SDL_atan2(dx, dy)));
    const double scale = (width - shortfall) / (2.0 * length);
    const double nx = dx * scale, ny = dy * scale;
    auto corner = [](double v) { return static_cast<int>(static_cast<Sint16>(v)); };
    const int px[4] = {corner(x1 + ny), corner(x1 - ny), corner(x2 - ny), corner(x2 + ny)};
    const int py[4] = {corner(y1 - nx), corner(y1 + nx), corner(y2 + nx), corner(y2 - nx)};
    const int miny = *std::min_element(py, py + 4), maxy = *std::max_element(py, py + 4);

    auto round = [](int fixed) { return (fixed >> 16) + ((fixed & 32768) >> 15); };
    for (int y = std::max(miny, 0); y <= std::min(maxy, surface->h - 1); ++y) {
        int crossings[4];
        int count = 0;
        for (int i = 0; i < 4; ++i) {
            const int from = i == 0 ? 3 : i - 1;
            int ax = px[from], ay = py[from], bx = px[i], by = py[i];
            if (ay == by) continue;
            if (ay > by) {
                std::swap(ax, bx);
                std::swap(ay, by);
            }
            // An edge holds its top row and not its bottom, save the lowest row, held from above.
            if ((y >= ay && y < by) || (y == maxy && y > ay && y <= by))
            {
                int at = count++;
                const int crossing = ((65536 * (y - ay)) / (by - ay)) * (bx - ax) + 65536 * ax;
                for (; at > 0 && crossings[at - 1] > crossing; --at) crossings[at] = crossings[at - 1];
                crossings[at] = crossing;  // in order from the left
            }
        }
        for (int i = 0; i + 1 < count; i += 2) {
            const int a = round(crossings[i] + 1), b = round(crossings[i + 1] - 1);
            fill(y, std::min(a, b), std::max(a, b));
        }
    }
}

}  // namespace platform
