// Following the links inside a player's robot records during a fight. Module
// data can hold anything: a link that names no whole record of its block is
// refused (null), and the caller then stays where it is.
#pragma once

#include "GameState.h"

// A node of player 0 or 1's motion graph.
inline const MotionNode* FollowNodeLink(const TForm1& form, int player, Link link) {
    return ResolveLink<MotionNode>(form.motionGraphs[player], link);
}

// A phase of the block a shot record of `slot` (0-7) flies in: the default
// weapon's track block, or the slot's own track table.
inline const ShotPhase* FollowPhaseLink(const TForm1& form, int slot, const ShotRecord& shot, Link link) {
    if (shot.weapon == &form.DummyWeapon) return ResolveLink<ShotPhase>(form.dummyTrack, link);
    return ResolveLink<ShotPhase>(form.tracks[PlayerOfSlot(slot)][WeaponOfSlot(slot) - 1], link);
}

// The phase a hit or the end of a phase leads to: none for kNoLink, as for a refused link.
inline const ShotPhase* FollowOptionalPhaseLink(const TForm1& form, int slot, const ShotRecord& shot, Link link) {
    return link == kNoLink ? nullptr : FollowPhaseLink(form, slot, shot, link);
}
