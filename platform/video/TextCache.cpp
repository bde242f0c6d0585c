#include "TextCache.h"

#include "SoftCanvas.h"
#include "ThickLine.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace platform {

std::string FindUiFontFile() {
    static const std::string found = [] {
        namespace fs = std::filesystem;
        std::error_code error;
        for (const char* path : {"/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf",
                                 "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
                                 "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf"}) {
            if (fs::is_regular_file(path, error)) return std::string(path);
        }
        std::vector<fs::path> roots = {"/usr/share/fonts", "/usr/local/share/fonts"};
        if (const char* home = std::getenv("HOME")) roots.push_back(fs::path(home) / ".local/share/fonts");
        for (const char* name : {"ipagp.ttf", "ipag.ttf"}) {
            for (const auto& root : roots) {
                for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::end(it);
                     it.increment(error)) {
                    if (it->path().filename() == name && it->is_regular_file(error)) return it->path().string();
                }
                error.clear();
            }
        }
        return std::string();
    }();
    return found;
}

TextCache::TextCache() {
    key_.reserve(256);
    if (TTF_Init() != 0) return;
    ttf_ = true;
    const std::string path = FindUiFontFile();
    if (!path.empty()) font_ = TTF_OpenFont(path.c_str(), kFontPixels);
    if (!font_) return;
    height_ = TTF_FontHeight(font_);
    ascent_ = TTF_FontAscent(font_);
    LoadGlyphs();
}

TextCache::~TextCache() {
    for (auto& entry : entries_) SDL_FreeSurface(entry.surface);
    if (slots_) SDL_FreeSurface(slots_);
    if (font_) TTF_CloseFont(font_);
    if (ttf_) TTF_Quit();
}

// SDL keeps what it worked out for a blit from one surface to another:
// it is worked out now, for the slots, not on a text in a fight.
void TextCache::Prepare(SDL_Surface* target) {
    SDL_Rect empty{0, 0, 1, 1};  // the slots start clear: nothing shows
    if (slots_) SDL_BlitSurface(slots_, &empty, target, &empty);
}

std::optional<TextCache::Rendered> TextCache::Get(const char* text, Color color) {
    if (!font_) return std::nullopt;
    if (auto laid = LaidOut(text, color)) return laid;
    key_.assign(text);
    key_.push_back('\0');
    key_.push_back(static_cast<char>(color.r));
    key_.push_back(static_cast<char>(color.g));
    key_.push_back(static_cast<char>(color.b));
    if (auto hit = index_.find(key_); hit != index_.end()) {
        entries_.splice(entries_.begin(), entries_, hit->second);
        return Whole(hit->second->surface);
    }
    SDL_Surface* surface = TTF_RenderUTF8_Blended(font_, text, SDL_Color{color.r, color.g, color.b, 255});
    if (!surface) return std::nullopt;
    SDL_SetSurfaceBlendMode(surface, SDL_BLENDMODE_BLEND);
    if (entries_.size() == kCachedTexts) {
        index_.erase(entries_.back().key);
        SDL_FreeSurface(entries_.back().surface);
        entries_.pop_back();
    }
    entries_.push_front(Entry{key_, surface});
    index_.emplace(entries_.front().key, entries_.begin());
    return Whole(surface);
}

void TextCache::LoadGlyphs() {
    slotHeight_ = 2 * height_;
    slots_ = SDL_CreateRGBSurfaceWithFormat(0, kSlotWidth, slotHeight_ * kSlots, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!slots_) return;
    SDL_SetSurfaceBlendMode(slots_, SDL_BLENDMODE_BLEND);
    for (int c = kFirstGlyph; c <= kLastGlyph; ++c) {
        const char one[2] = {static_cast<char>(c), '\0'};
        SDL_Surface* alone = TTF_RenderUTF8_Blended(font_, one, SDL_Color{255, 255, 255, 255});
        int minX = 0, maxX = 0, minY = 0, maxY = 0, advance = 0;
        Glyph& glyph = glyphs_[c - kFirstGlyph];
        if (alone && SDL_LockSurface(alone) == 0 &&
            TTF_GlyphMetrics32(font_, static_cast<Uint32>(c), &minX, &maxX, &minY, &maxY, &advance) == 0 &&
            std::max(maxY - ascent_, 0) < alone->h) {
            glyph = {true, alone->w, alone->h, -std::min(minX, 0), std::max(maxY - ascent_, 0), advance, {}};
            glyph.coverage.resize(static_cast<std::size_t>(alone->w) * alone->h);
            for (int y = 0; y < alone->h; ++y) {
                const auto* row = reinterpret_cast<const Uint32*>(static_cast<const std::uint8_t*>(alone->pixels) +
                                                                  static_cast<std::ptrdiff_t>(y) * alone->pitch);
                for (int x = 0; x < alone->w; ++x)
                    glyph.coverage[static_cast<std::size_t>(y) * alone->w + x] = static_cast<Uint8>(row[x] >> 24);
            }
            SDL_UnlockSurface(alone);
        }
        SDL_FreeSurface(alone);
    }
}

std::optional<TextCache::Rendered> TextCache::LaidOut(const char* text, Color color) {
    if (!slots_) return std::nullopt;
    std::uint64_t hash = 14695981039346656037ull;
    std::size_t length = 0;
    int pen = 0, left = 0, right = 0, above = 0, below = 0;
    for (; text[length]; ++length) {
        const auto c = static_cast<unsigned char>(text[length]);
        if (c < kFirstGlyph || c > kLastGlyph || length + 1 == kSlotText) return std::nullopt;
        const Glyph& glyph = glyphs_[c - kFirstGlyph];
        if (!glyph.usable) return std::nullopt;
        left = std::min(left, pen - glyph.lead);
        right = std::max(right, pen - glyph.lead + glyph.width);
        above = std::max(above, glyph.above);
        below = std::max(below, glyph.height - glyph.above);
        pen += glyph.advance;
        hash = (hash ^ c) * 1099511628211ull;
    }
    if (right - left > kSlotWidth || above + below > slotHeight_) return std::nullopt;
    hash = (hash ^ (color.r | color.g << 8 | color.b << 16)) * 1099511628211ull;

    ++clock_;
    int oldest = 0;
    for (int k = 0; k < kSlots; ++k) {
        Slot& slot = slotKeys_[k];
        if (slot.used && slot.hash == hash && slot.color == color && std::strcmp(slot.text.data(), text) == 0) {
            slot.used = clock_;
            return Rendered{slots_, SDL_Rect{0, k * slotHeight_, slot.width, slot.height}};
        }
        if (slot.used < slotKeys_[oldest].used) oldest = k;
    }
    Slot& slot = slotKeys_[oldest];
    slot = {hash, clock_, color, right - left, above + below, {}};
    std::memcpy(slot.text.data(), text, length + 1);

    // The library's blended text: the colour everywhere, the coverage as alpha.
    const Uint32 rgb = Uint32{color.r} << 16 | Uint32{color.g} << 8 | color.b;
    auto* const pixels = static_cast<std::uint8_t*>(slots_->pixels);
    auto row = [&](int y) {
        return reinterpret_cast<Uint32*>(pixels + static_cast<std::ptrdiff_t>(oldest * slotHeight_ + y) * slots_->pitch);
    };
    for (int y = 0; y < slot.height; ++y) FillPixels(row(y), row(y) + slot.width, rgb);
    pen = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const Glyph& glyph = glyphs_[static_cast<unsigned char>(text[i]) - kFirstGlyph];
        const int x0 = pen - glyph.lead - left;
        for (int y = 0; y < glyph.height; ++y) {
            Uint32* out = row(y + above - glyph.above) + x0;
            const Uint8* in = &glyph.coverage[static_cast<std::size_t>(y) * glyph.width];
            for (int x = 0; x < glyph.width; ++x) out[x] |= Uint32{in[x]} << 24;
        }
        pen += glyph.advance;
    }
    return Rendered{slots_, SDL_Rect{0, oldest * slotHeight_, slot.width, slot.height}};
}

}  // namespace platform
