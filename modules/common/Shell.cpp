// Shells: up 600 pixels, then held 800 above the opponent, then at an aim
// point above it, then a harmless 600-pixel fall and a burst that hits once.
// Every plane holds the same tracks, so the facing does not matter.
#include "Weapons.h"

namespace robotkit {
namespace {

enum ShellPhase { Rise = 0, Hold = 1, Aim = 2, Fall = 3, Burst = 4 };

}  // namespace

void FillShell(WeaponDescriptor& weapon, ShotTrackTable& table, const ShellSpec& spec) {
    WriteEveryLaunchOffset(weapon, kFilledTracks, {0, 0});
    WriteWeapon(weapon, spec.weapon);

    const int phases = Burst + spec.burstSteps;
    const PhaseFields shared{.damage = spec.damage, .stun = spec.stun, .spareWord = 0, .guardBreak = 1,
                             .endOnOwnerHit = 0};
    ForEachPhase(table, spec.filledTracks, spec.filledPhases, [&](ShotPhase& phase, int plane, int track, int n) {
        WritePhase(phase, shared);
        WriteLaunchLinks(table, phase, track, 0);
        // Never flown: the aim of a track past the parts, and the phases past the last.
        if ((n == Aim && track >= spec.parts) || n >= phases) return;

        PhaseFields own{.hitKind = n == Fall ? 3 : n < Fall ? 0 : 1, .halfHeight = 12, .halfWidth = 12,
                        .extentY = 16, .extentX = 16, .shotMode = n == Hold || n == Aim ? ShotPlaced : ShotStraight,
                        .knockBackMode = 2};
        // The rise and the fall move; the hold and the aim are places above the opponent.
        constexpr Velocity kCourse[Burst] = {{0, -50}, {0, -800}, {0, 0}, {0, 30}};
        constexpr std::int32_t kDuration[Burst] = {12, 8, 0, 20};
        Velocity velocity = n < Burst ? kCourse[n] : Velocity{0, 0};
        own.duration = n < Burst ? kDuration[n] : spec.burst[n - Burst].duration;
        if (n == Aim) {
            velocity = spec.aim[track].offset;
            own.duration = spec.aim[track].duration;
            own.halfHeight = spec.aimSize.height;
            own.halfWidth = spec.aimSize.width;
        } else if (n >= Burst) {
            own.halfHeight = own.halfWidth = spec.burst[n - Burst].halfSize;
            own.extentY = own.extentX = spec.burst[n - Burst].extent;
        }
        WritePhase(phase, own);
        phase.velocityX = velocity.x;
        phase.velocityY = velocity.y;
        phase.hitPhase = kNoLink;  // the fall's hit kind 3 then changes nothing
        phase.nextPhase = ChainLink(table, plane, track, n + 1, phases);
    });
}

}  // namespace robotkit
