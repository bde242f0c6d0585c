// The computer opponent: one decision routine that every robot runs with
// its own constants, and the dodge it steers by. It plays player 2 through
// the same control fields a person's keys fill.
#pragma once

#include "GameState.h"

enum DistanceBand : int { BandNear = 0, BandMiddle = 1, BandFar = 2 };
inline constexpr int kBands = 3;
inline constexpr int kDifficulties = 3;
inline constexpr int kMaxDraws = 7;

struct CpuChoice {
    std::int32_t advance;   // 0 hold, 1 toward the facing, 2 away from it
    std::int32_t action;    // 1-4 fire weapon n; 11-14 dash and fire weapon n - 10; 0: the last choice again
    std::int32_t duration;  // frames
};

struct CpuProfile {
    std::int32_t drawCount;              // a decision draws Random() % drawCount
    std::int32_t pulsePeriods[4];        // frames between presses of weapon 1-4's button
    CpuChoice choices[kBands][kDifficulties][kMaxDraws];
    bool slideWhileExecuting;            // re-reads the dodge every frame of a choice
};

extern const CpuProfile kCpuProfiles[];  // index robot number - 1; one per robot

// The band of a distance between the robots, in whole pixels.
DistanceBand BandOf(std::int32_t distance);

// One frame of the opponent with `profile`: a decision, or a frame of the choice.
void RunOpponent(TForm1& form, const CpuProfile& profile);

// The think routines in robot-number order, as the start-up stores them.
extern void (*const kThinkRoutines[])(TForm1& form);
