// Our own drawing against the libraries it stands in for, on the same inputs:
// the pictures must agree to the last pixel.
#include "SoftCanvas.h"
#include "ThickLine.h"

#include <SDL.h>
#include <SDL2_gfxPrimitives.h>
#include <SDL_ttf.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>

namespace platform {
namespace {

struct Surface {
    explicit Surface(int w = 200, int h = 150) : s(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_XRGB8888)) {}
    ~Surface() { SDL_FreeSurface(s); }
    bool operator==(const Surface& o) const { return Same(s, o.s); }
    static bool Same(SDL_Surface* a, SDL_Surface* b) {
        for (int y = 0; y < a->h; ++y)
            if (std::memcmp(static_cast<const char*>(a->pixels) + y * a->pitch,
                            static_cast<const char*>(b->pixels) + y * b->pitch, a->w * 4u) != 0)
                return false;
        return true;
    }
    SDL_Surface* s;
};

// Lines of every slope, length and width (a dot too), many crossing the
// edges, on a small picture so that clipping is common.
TEST(LibraryMatch, ThickLinesMatchTheGraphicsLibraryPixelForPixel) {
    Surface ours, theirs;
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(theirs.s);
    ASSERT_NE(renderer, nullptr);
    std::mt19937 random(24);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int n = 0; n < 3000; ++n) {
        const int x1 = pick(-80, 280), y1 = pick(-80, 230);
        int x2 = n % 7 == 0 ? x1 : pick(-80, 280), y2 = n % 11 == 0 ? y1 : pick(-80, 230);
        if (n % 13 == 0) x2 = x1 + (y2 - y1);  // diagonals
        if (n % 17 == 0) x2 = x1 + pick(-2, 2), y2 = y1 + pick(-2, 2);  // short ones and dots
        const int width = n % 10 == 0 ? pick(2, 255) : pick(2, 24);
        const Uint8 shade = static_cast<Uint8>(n * 37);
        SDL_FillRect(ours.s, nullptr, 0);
        SDL_FillRect(theirs.s, nullptr, 0);
        FillThickLine(ours.s, x1, y1, x2, y2, width, SDL_MapRGB(ours.s->format, shade, 255, 0));
        thickLineRGBA(renderer, static_cast<Sint16>(x1), static_cast<Sint16>(y1), static_cast<Sint16>(x2),
                      static_cast<Sint16>(y2), static_cast<Uint8>(width), shade, 255, 0, 255);
        SDL_RenderFlush(renderer);
        ASSERT_TRUE(ours == theirs) << "(" << x1 << ", " << y1 << ") to (" << x2 << ", " << y2 << "), width " << width;
    }
    SDL_DestroyRenderer(renderer);
}

// Texts of printable characters, which the canvas lays out itself from the
// glyphs, against the font library's rendering of the whole text blitted in
// its place: random ones, and ammunition counts as a fight shows them, each
// drawn twice (the second time from the canvas's own store), in both text
// modes and over the picture's edges.
TEST(LibraryMatch, TextsMatchTheFontLibraryPixelForPixel) {
    PaintObjects objects;
    const BrushId grey = objects.CreateBrush({90, 100, 110});
    SoftCanvas canvas(objects);
    if (!canvas.HasFont()) GTEST_SKIP() << "no IPA Gothic font";
    ASSERT_EQ(TTF_Init(), 0);
    TTF_Font* font = TTF_OpenFont(FindUiFontFile().c_str(), 12);
    ASSERT_NE(font, nullptr);
    Surface reference(800, 600);
    std::mt19937 random(3);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const Color colors[] = {{0, 0, 255}, {255, 0, 0}, {255, 255, 255}, {0, 0, 0}, {200, 150, 20}};
    for (int n = 0; n < 1500; ++n) {
        std::string text;
        if (n % 3 == 0) {
            const int count = n % 30 == 0 ? INT_MIN : n % 9 == 0 ? INT_MAX : pick(-20, 400);
            text = "Ammo" + std::to_string(pick(1, 4)) + ":" + std::to_string(count);
        } else {
            for (int k = pick(1, n % 50 == 1 ? 62 : 24); k > 0; --k) text += static_cast<char>(pick(0x20, 0x7e));
        }
        const Color color = colors[pick(0, 4)];
        const bool transparent = pick(0, 1);
        const int x = n % 5 == 0 ? pick(-60, 800) : pick(0, 700), y = n % 7 == 0 ? pick(-12, 600) : pick(0, 580);

        SDL_Surface* whole = TTF_RenderUTF8_Blended(font, text.c_str(), SDL_Color{color.r, color.g, color.b, 255});
        ASSERT_NE(whole, nullptr) << text;
        SDL_FillRect(reference.s, nullptr, SDL_MapRGB(reference.s->format, 90, 100, 110));
        SDL_Rect place{x, y, whole->w, std::max(whole->h, 12)};
        if (!transparent) SDL_FillRect(reference.s, &place, SDL_MapRGB(reference.s->format, 255, 255, 255));
        SDL_SetSurfaceBlendMode(whole, SDL_BLENDMODE_BLEND);
        SDL_BlitSurface(whole, nullptr, reference.s, &place);
        SDL_FreeSurface(whole);

        for (int again = 0; again < 2; ++again) {
            canvas.BeginFrame();
            canvas.FillRect(0, 0, 800, 600, grey);
            if (transparent) canvas.SetTextTransparent();
            canvas.SetTextColor(color);
            canvas.TextOut(x, y, text.c_str());
            ASSERT_TRUE(Surface::Same(canvas.Surface(), reference.s)) << "\"" << text << "\" at (" << x << ", " << y << ")";
        }
    }
    TTF_CloseFont(font);
    TTF_Quit();
}

}  // namespace
}  // namespace platform
