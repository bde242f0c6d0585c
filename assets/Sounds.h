// The recipes of the game's sound effects and jingles.
#pragma once

#include <cstdint>
#include <vector>

namespace assets {

struct GameSound {
    const char* name;   // the resource name the game asks for
    double seconds;     // how long it lasts
    std::vector<std::uint8_t> pcm;  // 8-bit unsigned mono at 8 kHz
};

// The sixteen compiled-in sounds, in a fixed order.
std::vector<GameSound> MakeGameSounds();

// The sound of the music disc being pulled out mid-fight (a file beside the game).
std::vector<std::uint8_t> MakeDiscCut();

}  // namespace assets
