// Shots in flight: the per-frame steps the fight stage runs on every record of
// every weapon slot, live or not. `slot` is the record's weapon slot 0-7
// (player 1's weapons 1-4, then player 2's); it names the block the record's
// phase links point into.
#pragma once

#include "GameState.h"

// Movers, one per shot mode.
void MoveShotStraight(ShotRecord& shot);
void MoveShotHoming(const TForm1& form, int slot, ShotRecord& shot, const PlayerRecord& opponent);
void MoveShotWithRobot(ShotRecord& shot, const PlayerRecord& opponent);
void MoveShotEightWay(ShotRecord& shot, const PlayerRecord& opponent);
void MoveShotByTable(ShotRecord& shot, const PlayerRecord& owner);

// Moves the shot by its current phase's mode; an unknown mode leaves it.
void MoveShot(const TForm1& form, int slot, ShotRecord& shot, const PlayerRecord& opponent, const PlayerRecord& owner);

// Ages the shot by a frame: on to the next phase, or the end of its flight.
void AdvanceShotFrame(const TForm1& form, int slot, ShotRecord& shot, const PlayerRecord& owner);

enum HitResult : int { HitNone = 0, HitLanded = 1, HitPassedOn = 3 };

// Tests the shot against the slot's opponent (player 2 for slots 0-3, player 1
// for 4-7) and applies damage, stun and knock-back.
HitResult HitTestShot(TForm1& form, int slot, ShotRecord& shot);

// Keeps the three-point trail; (dx, dy) is the frame's scroll delta.
void PlaceShot(ShotRecord& shot, std::int32_t dx, std::int32_t dy);

// One frame of every record of every slot's rows and parts, in flight or not:
// moved, hit-tested and aged, carried by the scroll (dx, dy), its trail kept.
void RunShots(TForm1& form, std::int32_t dx, std::int32_t dy);
