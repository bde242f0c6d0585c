// Our own drawing against the libraries it stands in for, on the same random
// inputs: the pictures must agree to the last pixel.
#include "SoftCanvas.h"
#include "TextCache.h"
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

SDL_Surface* NewSurface(int w, int h) { return SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_XRGB8888); }

bool Same(const SDL_Surface* a, const SDL_Surface* b) {
    for (int y = 0; y < a->h; ++y)
        if (std::memcmp(static_cast<const char*>(a->pixels) + y * a->pitch,
                        static_cast<const char*>(b->pixels) + y * b->pitch, a->w * 4u) != 0)
            return false;
    return true;
}

class LibraryMatch : public ::testing::Test {
protected:
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); }
    std::mt19937 random{24};
};

// Every slope, length and width (dots too), many lines over the edges of a small picture.
TEST_F(LibraryMatch, ThickLinesMatchTheGraphicsLibraryPixelForPixel) {
    SDL_Surface *ours = NewSurface(200, 150), *theirs = NewSurface(200, 150);
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(theirs);
    ASSERT_NE(renderer, nullptr);
    for (int n = 0; n < 3000; ++n) {
        const int x1 = Pick(-80, 280), y1 = Pick(-80, 230);
        int x2 = n % 7 == 0 ? x1 : Pick(-80, 280), y2 = n % 11 == 0 ? y1 : Pick(-80, 230);
        if (n % 13 == 0) x2 = x1 + (y2 - y1);  // diagonals
        if (n % 17 == 0) x2 = x1 + Pick(-2, 2), y2 = y1 + Pick(-2, 2);  // short ones and dots
        const int width = n % 10 == 0 ? Pick(2, 255) : Pick(2, 24);
        const auto shade = static_cast<Uint8>(n * 37);
        SDL_FillRect(ours, nullptr, 0);
        SDL_FillRect(theirs, nullptr, 0);
        FillThickLine(ours, x1, y1, x2, y2, width, SDL_MapRGB(ours->format, shade, 255, 0));
        thickLineRGBA(renderer, Sint16(x1), Sint16(y1), Sint16(x2), Sint16(y2), Uint8(width), shade, 255, 0, 255);
        SDL_RenderFlush(renderer);
        ASSERT_TRUE(Same(ours, theirs)) << "(" << x1 << ", " << y1 << ") to (" << x2 << ", " << y2 << "), width " << width;
    }
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(ours);
    SDL_FreeSurface(theirs);
}

// Texts of printable characters, which the canvas lays out from its glyphs,
// against the whole text rendered by the font library and blitted in place:
// random ones and ammunition counts, each drawn twice (the second time from
// the canvas's slots), in both text modes and over the picture's edges.
TEST_F(LibraryMatch, TextsMatchTheFontLibraryPixelForPixel) {
    PaintObjects objects;
    const BrushId grey = objects.CreateBrush({90, 100, 110});
    SoftCanvas canvas(objects);
    if (!canvas.HasFont()) GTEST_SKIP() << "no IPA Gothic font";
    ASSERT_EQ(TTF_Init(), 0);
    TTF_Font* font = TTF_OpenFont(FindUiFontFile().c_str(), 12);
    SDL_Surface* reference = NewSurface(800, 600);
    const Color colors[] = {{0, 0, 255}, {255, 0, 0}, {255, 255, 255}, {0, 0, 0}, {200, 150, 20}};
    for (int n = 0; n < 1500; ++n) {
        std::string text;
        if (n % 3 == 0) {
            const int count = n % 30 == 0 ? INT_MIN : n % 9 == 0 ? INT_MAX : Pick(-20, 400);
            text = "Ammo" + std::to_string(Pick(1, 4)) + ":" + std::to_string(count);
        } else {
            for (int k = Pick(1, n % 50 == 1 ? 62 : 24); k > 0; --k) text += static_cast<char>(Pick(0x20, 0x7e));
        }
        const Color color = colors[Pick(0, 4)];
        const bool transparent = Pick(0, 1);
        const int x = n % 5 == 0 ? Pick(-60, 800) : Pick(0, 700), y = n % 7 == 0 ? Pick(-12, 600) : Pick(0, 580);

        SDL_Surface* whole = TTF_RenderUTF8_Blended(font, text.c_str(), SDL_Color{color.r, color.g, color.b, 255});
        ASSERT_NE(whole, nullptr) << text;
        SDL_FillRect(reference, nullptr, SDL_MapRGB(reference->format, 90, 100, 110));
        SDL_Rect place{x, y, whole->w, std::max(whole->h, 12)};
        if (!transparent) SDL_FillRect(reference, &place, SDL_MapRGB(reference->format, 255, 255, 255));
        SDL_SetSurfaceBlendMode(whole, SDL_BLENDMODE_BLEND);
        SDL_BlitSurface(whole, nullptr, reference, &place);
        SDL_FreeSurface(whole);
        for (int again = 0; again < 2; ++again) {
            canvas.BeginFrame();
            canvas.FillRect(0, 0, 800, 600, grey);
            if (transparent) canvas.SetTextTransparent();
            canvas.SetTextColor(color);
            canvas.TextOut(x, y, text.c_str());
            ASSERT_TRUE(Same(canvas.Surface(), reference)) << "\"" << text << "\" at (" << x << ", " << y << ")";
        }
    }
    SDL_FreeSurface(reference);
    TTF_CloseFont(font);
    TTF_Quit();
}

}  // namespace
}  // namespace platform
