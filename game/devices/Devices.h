// The program-wide device objects that live outside the game state: the
// platform services chosen at start-up, and the sound objects. Each object
// pointer is either null or holds one object; releasing it clears it.
#pragma once

#include "Platform.h"

#include <string>

struct SoundObjects {
    bool dsound;  // the sound device exists
    platform::SoundBuffer* primarySoundBuffer;
    platform::SoundBuffer* JingleBuffer;
    platform::SoundBuffer* HitSoundBuffers[2][4];     // set 1 "HITTED1".."HITTED4", set 2 their duplicates
    platform::SoundBuffer* WeaponSoundBuffers[2][4];  // fire sounds of each player's weapons 1-4
    // The robot module that could not be bound and whose fire sounds then
    // took the device with them: the cause to name when a later sound closes the game.
    const char* lostWithModule;
};

struct MusicObjects {
    bool started;            // the music service is in use
    bool musicPerformance;   // the performance exists
    bool directMusic;        // the performance was initialised on the sound device
    bool musicLoader;        // the loader exists
    platform::MusicSegment* MusicSegment;            // the current tune
    platform::MusicSegmentState* musicSegmentState;  // its last play
    const char* tuneFile;                            // the current tune's file name, for error reports
    std::string searchDirectory;                     // where the tunes are looked up
};

// The pens and brushes made at start-up: what the drawers select into their canvas.
struct Paints {
    platform::BrushId brushBlack, brushBlue, brushRed, brushGreen, brushMagenta;
    platform::PenId penP1Robot, penP2Robot, penP1Stunned, penP2Stunned, penP1Beam, penP2Beam;
    platform::PenId penP1Arrow, penP2Arrow, penGrid;
};

// The display objects, and the pens and brushes. The back buffer's canvas is
// not kept: the frame takes it, hands it to the drawer and releases it.
struct DisplayObjects : Paints {
    bool directDraw, primarySurface, backSurface;  // which set-up steps hold
};

struct Devices {
    platform::Services services;
    DisplayObjects display;
    SoundObjects sound;
    MusicObjects music;
    int JoySet1, JoySet2;  // shown on the start screen; 0 lets the keyboard drive player 2
    bool idleInstalled;    // the start-up finished: frames may run
    // Why the game closed on a failure: one plain line for standard error,
    // empty when it was closed on purpose. The first failure is the cause.
    char closeReason[1024];
};

// The game's report of a failure: a box with the caption "Error" and one OK button.
void ShowError(Devices& devices, const std::string& text);
