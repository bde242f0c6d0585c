// Filling spans of pixels straight into a 32-bit surface: runs, and the
// band of a thick line.
#pragma once

#include <SDL.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {

// A run of one pixel value, four at a time where the processor has the
// registers for it (the compiler leaves a plain loop at one at a time); a
// short run or the end of a long one is written as two overlapping fours
// (or pairs).
inline void FillPixels(Uint32* first, Uint32* last, Uint32 pixel) {
#if defined(__SSE2__)
    if (last - first >= 4) {
        const __m128i four = _mm_set1_epi32(static_cast<int>(pixel));
        for (; last - first > 8; first += 8) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(first), four);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(first + 4), four);
        }
        if (last - first > 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(first), four);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(last - 4), four);
        return;
    }
    if (last - first >= 2) {  // the short runs at the sides of a ring: two overlapping pairs
        const __m128i two = _mm_set1_epi32(static_cast<int>(pixel));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(first), two);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(last - 2), two);
        return;
    }
#endif
    for (; first != last; ++first) *first = pixel;
}

// Clipped to the surface. Corners and coordinates must fit 16 bits.
void FillThickLine(SDL_Surface* surface, int x1, int y1, int x2, int y2, int width, Uint32 pixel);

}  // namespace platform
