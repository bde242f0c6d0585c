// The UI font and the texts drawn with it, rendered once and kept.
#pragma once

#include "Canvas.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <array>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

// Blended texts. One of printable ASCII alone is laid out from the glyphs,
// each rendered alone when the font opens: with this font such a text is the
// glyphs side by side, each moved on by its advance, the coverage of any
// overlap or'ed as the library does, so the picture is the same. Those are
// kept in a fixed table of slots, so a new one (an ammunition count in a
// fight) costs no allocation. Any other text is rendered whole and kept by
// (text, colour); the least recently used goes first in either.
class TextCache {
public:
    struct Rendered {
        SDL_Surface* surface;
        SDL_Rect area;  // of the surface
    };

    TextCache();
    ~TextCache();
    TextCache(const TextCache&) = delete;
    TextCache& operator=(const TextCache&) = delete;

    bool HasFont() const { return font_ != nullptr; }
    int Height() const { return height_; }

    // SDL keeps what it worked out for a blit from one surface to another:
    // it is worked out now, for the slots, not on a text in a fight.
    void Prepare(SDL_Surface* target);

    std::optional<Rendered> Get(const char* text, Color color);

private:
    static constexpr int kFontPixels = 12;         // the UI font's 12-pixel character height
    static constexpr std::size_t kCachedTexts = 256;  // a few screens' worth of distinct texts
    static constexpr int kFirstGlyph = 0x20, kLastGlyph = 0x7e;
    static constexpr int kSlots = 64, kSlotWidth = 400;
    static constexpr std::size_t kSlotText = 64;  // bytes, with the terminator

    struct Glyph {
        bool usable = false;
        int width = 0, height = 0;
        int lead = 0, above = 0;  // from the left edge to the pen; rows over the font's ascent
        int advance = 0;
        std::vector<Uint8> coverage;  // width x height
    };
    struct Slot {
        std::uint64_t hash = 0, used = 0;  // used 0: empty
        Color color{0, 0, 0};
        int width = 0, height = 0;
        std::array<char, kSlotText> text{};
    };
    struct Entry {
        std::string key;
        SDL_Surface* surface;
    };

    static Rendered Whole(SDL_Surface* surface) { return {surface, SDL_Rect{0, 0, surface->w, surface->h}}; }

    void LoadGlyphs();
    // The text laid out from its glyphs in a slot, or nothing when it has
    // another character or does not fit a slot.
    std::optional<Rendered> LaidOut(const char* text, Color color);

    bool ttf_ = false;
    TTF_Font* font_ = nullptr;
    int height_ = kFontPixels, ascent_ = kFontPixels, slotHeight_ = kFontPixels;
    std::array<Glyph, kLastGlyph - kFirstGlyph + 1> glyphs_;
    SDL_Surface* slots_ = nullptr;  // kSlots texts, one under the other
    std::array<Slot, kSlots> slotKeys_{};
    std::uint64_t clock_ = 0;
    std::string key_;
    std::list<Entry> entries_;  // most recent first; the keys are stable for the index
    std::unordered_map<std::string_view, std::list<Entry>::iterator> index_;
};

// The UI font's file: IPA PGothic, else IPA Gothic, else any IPA Gothic file
// found under the font folders; empty when there is none.
std::string FindUiFontFile();

}  // namespace platform
