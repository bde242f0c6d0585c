// The program-wide device objects that live outside the game state: the
// platform services chosen at start-up, and the sound objects. Each object
// pointer is either null or holds one object; releasing it clears it.
#pragma once

#include "Platform.h"

struct SoundObjects {
    bool dsound;  // the sound device exists
    platform::SoundBuffer* primarySoundBuffer;
    platform::SoundBuffer* JingleBuffer;
    platform::SoundBuffer* HitSoundBuffers[2][4];     // set 1 "HITTED1".."HITTED4", set 2 their duplicates
    platform::SoundBuffer* WeaponSoundBuffers[2][4];  // fire sounds of each player's weapons 1-4
};

struct MusicObjects {
    bool started;            // the music service is in use
    bool musicPerformance;   // the performance exists
    bool directMusic;        // the performance was initialised on the sound device
    bool musicLoader;        // the loader exists
    platform::MusicSegment* MusicSegment;            // the current tune
    platform::MusicSegmentState* musicSegmentState;  // its last play
};

struct Devices {
    platform::Services services;
    SoundObjects sound;
    MusicObjects music;
};

extern Devices devices;
