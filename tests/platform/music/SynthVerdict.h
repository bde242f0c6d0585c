// What FluidSynth itself makes of a tune: whether its player reads it and it
// lasts some ticks, and playing it looped for ever as the game does. The player
// runs on a synthesiser without a soundfont: it reads and times the tune all
// the same.
#pragma once

#include <fluidsynth.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace synth_verdict {

inline void Quiet(int, const char*, void*) {}

inline fluid_synth_t* Synth() {
    static fluid_synth_t* synth = [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, Quiet, nullptr);
        fluid_settings_t* settings = new_fluid_settings();
        fluid_settings_setint(settings, "synth.polyphony", 16);
        return new_fluid_synth(settings);
    }();
    return synth;
}

struct Played {
    bool loaded = false;  // still playing after the first block, in which the player reads the file
    int ticks = 0;        // the tune's length as the player counts it
};

// Plays `blocks` blocks of 64 frames; `loop` counts plays as FluidSynth does (-1: for ever).
inline Played Play(const std::uint8_t* bytes, std::size_t size, int loop, int blocks) {
    fluid_synth_t* synth = Synth();
    fluid_player_t* player = new_fluid_player(synth);
    Played played;
    if (fluid_player_add_mem(player, bytes, size) == FLUID_OK && fluid_player_set_loop(player, loop) == FLUID_OK &&
        fluid_player_play(player) == FLUID_OK) {
        static float out[2 * 64];
        for (int i = 0; i < blocks; ++i) {
            fluid_synth_write_float(synth, 64, out, 0, 2, out, 1, 2);
            if (i == 0) played.loaded = fluid_player_get_status(player) == FLUID_PLAYER_PLAYING;  // it lingers after the end
        }
        played.ticks = fluid_player_get_total_ticks(player);
    }
    delete_fluid_player(player);
    fluid_synth_system_reset(synth);
    return played;
}

// Read and some ticks long: what the looping player can play without spinning.
inline bool Plays(const std::uint8_t* bytes, std::size_t size) {
    const Played once = Play(bytes, size, 1, 1);
    return once.loaded && once.ticks != 0;
}

}  // namespace synth_verdict
