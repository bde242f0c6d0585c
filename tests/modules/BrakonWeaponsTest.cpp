// DoviGTR, DoviLZR and DoviCNN of Brakon: VuruRovavu's gun, laser blade and cannon.
#include "ModuleFixture.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

enum : unsigned { kCore = 1, kExtents = 2, kEndOnHit = 4, kHalves = 8 };  // field sets of a phase

struct Weapon {
    const char* name;
    std::array<int, 6> figures;  // ammunition, hideOnHit, singleHit, volleys, shotsPerVolley, trailCircles
    const char *fire, *hit;
    int parts, offsetColumn;     // launch parts written; their first column in kOffsets
    bool gauge, trail;           // gaugeCost written; trailRadii and spareFlag written
    std::array<unsigned, 8> phases;  // field sets written in phases 0-7
};
constexpr unsigned kBlade = kCore | kExtents | kEndOnHit;
const Weapon kWeapons[] = {
    {"DoviGTR", {240, 1, 1, 5, 3, 0}, "ATTACK4", "HITTED4", 3, 0, false, false, {kCore | kEndOnHit, kCore}},
    {"DoviLZR", {256, 0, 1, 1, 1, 0}, "BEAM", "HITTED2", 1, 3, true, false,
     {kBlade, kBlade, kBlade, kBlade, kBlade, kBlade, kHalves, kHalves}},
    {"DoviCNN", {12, 1, 1, 1, 1, 1}, "HITTED1", "HITTED2", 1, 4, false, true, {kBlade, kCore | kEndOnHit}}};

// Launch offsets by facing: gun parts 0-2, blade, shell.
constexpr int kOffsets[8][5][2] = {
    {{10, -70}, {0, -45}, {-10, -20}, {0, -50}, {0, -40}},     {{80, -70}, {60, -35}, {40, -20}, {50, -50}, {30, -30}},
    {{70, -10}, {45, 0}, {20, 10}, {50, 0}, {40, 0}},          {{80, 50}, {60, 35}, {40, 20}, {50, 50}, {30, 30}},
    {{10, 70}, {0, 45}, {-10, 40}, {0, 50}, {0, 40}},          {{-80, 50}, {-60, 35}, {-40, 20}, {-50, 50}, {-30, 30}},
    {{-70, -10}, {-45, 0}, {-20, 10}, {-50, 0}, {-40, 0}},     {{-80, -50}, {-60, -35}, {-40, -20}, {-50, -50}, {-30, -30}}};
constexpr int kSignX[8] = {0, 1, 1, 1, 0, -1, -1, -1}, kSignY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

// velocityX, velocityY, damage, stun, duration, hitKind, halfHeight, halfWidth, extentY, extentX, spareWord,
// shotMode, guardBreak, knockBackMode, endOnOwnerHit
std::array<int, 15> Fields(const ShotPhase& p) {
    return {p.velocityX, p.velocityY, p.damage, p.stun, p.duration, p.hitKind, p.halfHeight, p.halfWidth, p.extentY,
            p.extentX, p.spareWord, p.shotMode, p.guardBreak, p.knockBackMode, p.endOnOwnerHit};
}

void ReleaseTexts(const WeaponDescriptor& d) {
    TextRelease(d.fireSound);
    TextRelease(d.hitSound);
}

// Both sound fields name the weapon's sounds and hold their texts alone.
void ExpectSoundTexts(const WeaponDescriptor& d, const Weapon& weapon) {
    EXPECT_STREQ(TextChars(d.fireSound), weapon.fire);
    EXPECT_STREQ(TextChars(d.hitSound), weapon.hit);
    EXPECT_EQ((std::array<int, 2>{TextRefCount(d.fireSound), TextRefCount(d.hitSound)}), (std::array<int, 2>{1, 1}));
}

class BrakonWeapons : public ::testing::Test {
protected:
    void Fill(const Weapon& weapon, WeaponDescriptor& descriptor, ShotTrackTable& table) {
        auto* fill = module_.Export<WeaponExport>(weapon.name);
        ASSERT_NE(fill, nullptr) << weapon.name << " is missing";
        fill(&descriptor, &table);
    }
    struct Armed {  // a weapon's records after one fill; gives its texts back at the end
        std::unique_ptr<WeaponDescriptor> descriptor = FilledRecord<WeaponDescriptor>(0);
        std::unique_ptr<ShotTrackTable> table = FilledRecord<ShotTrackTable>(0xA5);
        ~Armed() { ReleaseTexts(*descriptor); }
    };
    std::unique_ptr<Armed> Arm(const Weapon& weapon) {
        auto armed = std::make_unique<Armed>();
        Fill(weapon, *armed->descriptor, *armed->table);
        return armed;
    }
    LoadedModule module_{BrakonPath()};
};

TEST_F(BrakonWeapons, DescriptorsHoldStatedFiguresOffsetsAndSoundNames) {
    for (const Weapon& weapon : kWeapons) {
        SCOPED_TRACE(weapon.name);
        const auto armed = Arm(weapon);
        const WeaponDescriptor& d = *armed->descriptor;
        EXPECT_EQ((std::array<int, 6>{d.ammunition, d.hideOnHit, d.singleHit, d.volleys, d.shotsPerVolley, d.trailCircles}),
                  weapon.figures);
        ExpectSoundTexts(d, weapon);
        if (weapon.gauge) {
            EXPECT_EQ(d.gaugeCost, 150);
        }
        if (weapon.trail) {
            EXPECT_EQ((std::array<int, 4>{d.trailRadii[0], d.trailRadii[1], d.trailRadii[2], d.spareFlag}),
                      (std::array<int, 4>{18, 18, 18, 1}));
        }
        for (int facing = 0; facing < kHeadingCount; ++facing)
            for (int part = 0; part < weapon.parts; ++part) {
                const auto& want = kOffsets[facing][weapon.offsetColumn + part];
                EXPECT_EQ((std::array<int, 2>{d.launchOffsets[facing][part].x, d.launchOffsets[facing][part].y}),
                          (std::array<int, 2>{want[0], want[1]})) << "facing " << facing << " part " << part;
            }
    }
}

TEST_F(BrakonWeapons, WritesOnlyTheirDescriptorFieldsAndNamedPhases) {
    for (const Weapon& weapon : kWeapons) {
        SCOPED_TRACE(weapon.name);
        auto descriptorWritten = WrittenBytes<WeaponDescriptor>([&](WeaponDescriptor& d) {
            Fill(weapon, d, *FilledRecord<ShotTrackTable>(0));
            ReleaseTexts(d);
        });
        WeaponDescriptor d{};
        std::vector<bool> expected(sizeof d);
        for (int facing = 0; facing < kHeadingCount; ++facing)
            for (int part = 0; part < weapon.parts; ++part) MarkField(expected, d, d.launchOffsets[facing][part]);
        for (auto* field : {&d.ammunition, &d.volleys, &d.shotsPerVolley, &d.trailCircles}) MarkField(expected, d, *field);
        MarkField(expected, d, d.hideOnHit);
        MarkField(expected, d, d.singleHit);
        if (weapon.gauge) MarkField(expected, d, d.gaugeCost);
        if (weapon.trail) MarkField(expected, d, d.trailRadii), MarkField(expected, d, d.spareFlag);
        for (std::size_t at = 820; at < 828; ++at) descriptorWritten[at] = false;  // handles differ from run to run
        EXPECT_EQ(FirstMismatch(descriptorWritten, expected), -1);

        const auto tableWritten = WrittenBytes<ShotTrackTable>([&](ShotTrackTable& table) {
            const auto descriptor = FilledRecord<WeaponDescriptor>(0);
            Fill(weapon, *descriptor, table);
            ReleaseTexts(*descriptor);
        });
        const auto layout = FilledRecord<ShotTrackTable>(0);
        std::vector<bool> phases(sizeof(ShotTrackTable));
        auto mark = [&](const auto&... fields) { (MarkField(phases, *layout, fields), ...); };
        for (int plane = 0; plane < kHeadingCount; ++plane)
            for (int track = 0; track < 8; ++track)
                for (int n = 0; n < 8; ++n) {
                    const ShotPhase& p = layout->planes[plane][track].phases[n];
                    const unsigned what = weapon.phases[n];
                    if (what & (kHalves | kCore)) mark(p.halfHeight, p.halfWidth);
                    if (what & kCore)
                        mark(p.velocityX, p.velocityY, p.damage, p.stun, p.duration, p.hitKind, p.spareWord, p.shotMode,
                             p.guardBreak, p.knockBackMode, p.hitPhase, p.launchLinks, p.nextPhase);
                    if (what & kExtents) mark(p.extentY, p.extentX);
                    if (what & kEndOnHit) mark(p.endOnOwnerHit);
                }
        const long mismatch = FirstMismatch(tableWritten, phases), at = mismatch / 148;
        EXPECT_EQ(mismatch, -1) << "plane " << at / 160 << " track " << at / 16 % 10 << " phase " << at % 16 << " byte "
                                << mismatch % 148;
    }
}

TEST_F(BrakonWeapons, GunAndCannonShotsFlyStraightByPlane) {
    const auto gun = Arm(kWeapons[0]), cannon = Arm(kWeapons[2]);
    auto velocity = [](const ShotTrackTable& table, Heading plane) {
        return std::array<int, 2>{table.planes[plane][0].phases[0].velocityX, table.planes[plane][0].phases[0].velocityY};
    };
    EXPECT_EQ(velocity(*gun->table, NL), (std::array<int, 2>{-18, 0}));
    EXPECT_EQ(velocity(*gun->table, UR), (std::array<int, 2>{14, -14}));
    EXPECT_EQ(velocity(*cannon->table, UR), (std::array<int, 2>{15, -15}));
    const auto a5 = static_cast<int>(0xA5A5A5A5u);  // left as it was
    for (int plane = 0; plane < kHeadingCount; ++plane)
        for (int track = 0; track < 8; ++track) {
            SCOPED_TRACE("plane " + std::to_string(plane) + " track " + std::to_string(track));
            const ShotTrack &g = gun->table->planes[plane][track], &c = cannon->table->planes[plane][track];
            const int gv = plane % 2 ? 14 : 18, cv = plane % 2 ? 15 : 20, sx = kSignX[plane], sy = kSignY[plane];
            EXPECT_EQ(Fields(g.phases[0]), (std::array<int, 15>{sx * gv, sy * gv, 8, 8, 32, 1, 10, 10, a5, a5, 1, 0, 0, 1, 0}));
            EXPECT_EQ(Fields(g.phases[1]), (std::array<int, 15>{0, 0, 0, 8, 5, 0, 10, 10, a5, a5, 1, 0, 0, 1, 0xA5}));
            EXPECT_EQ(Fields(c.phases[0]), (std::array<int, 15>{sx * cv, sy * cv, 240, 100, 50, 1, 15, 15, 18, 18, 1, 0, 0, 1, 0}));
            EXPECT_EQ(Fields(c.phases[1]), (std::array<int, 15>{0, 0, 0, 4, 5, 0, 8, 8, a5, a5, 1, 0, 0, 1, 0}));
            for (const ShotPhase* p : {&g.phases[0], &g.phases[1], &c.phases[0], &c.phases[1]})
                EXPECT_EQ((std::array<Link, 2>{p->hitPhase, p->nextPhase}), (std::array<Link, 2>{kNoLink, kNoLink}));
        }
}

TEST_F(BrakonWeapons, LaserBladeRidesThroughSixPhasesSizedByPlane) {
    const auto blade = Arm(kWeapons[1]);
    const ShotTrackTable& table = *blade->table;
    constexpr int kExtentY[6] = {50, 55, 60, 55, 50, 40};
    constexpr int kHalfHeight[8] = {30, 25, 20, 25, 30, 25, 20, 25};  // half width is 50 minus it
    for (int plane = 0; plane < kHeadingCount; ++plane)
        for (int track = 0; track < 8; ++track) {
            SCOPED_TRACE("plane " + std::to_string(plane) + " track " + std::to_string(track));
            const ShotTrack& t = table.planes[plane][track];
            const int hh = kHalfHeight[plane], hw = 50 - hh;
            for (int n = 0; n < 6; ++n) {
                EXPECT_EQ(Fields(t.phases[n]),
                          (std::array<int, 15>{0, 0, 52, 20, 4, n < 5 ? 2 : 0, hh, hw, kExtentY[n], 0, 0, 4, 1, 1, 1}))
                    << "phase " << n;
                EXPECT_EQ(t.phases[n].hitPhase, kNoLink) << "phase " << n;
                const ShotPhase* next = n < 5 ? &t.phases[n + 1] : nullptr;
                EXPECT_EQ(t.phases[n].nextPhase == kNoLink ? nullptr : ResolveLink<ShotPhase>(table, t.phases[n].nextPhase), next)
                    << "phase " << n;
            }
            for (int n = 6; n < 8; ++n)
                EXPECT_EQ((std::array<int, 2>{t.phases[n].halfHeight, t.phases[n].halfWidth}), (std::array<int, 2>{hh, hw}));
        }
}

TEST_F(BrakonWeapons, LaunchLinksStartTheSameTrackInTheFacingPlane) {
    for (const Weapon& weapon : kWeapons) {
        SCOPED_TRACE(weapon.name);
        const auto armed = Arm(weapon);
        const ShotTrackTable& table = *armed->table;
        const auto* words = reinterpret_cast<const Link*>(&table.planes[0][0].phases[0]);
        EXPECT_EQ(ResolveLink<ShotPhase>(table, words[30]), &table.planes[UL][0].phases[0]) << "word 30 is facing UL";
        EXPECT_EQ(ResolveLink<ShotPhase>(table, words[31]), &table.planes[NR][0].phases[0]) << "word 31 is facing NR";
        for (int plane = 0; plane < kHeadingCount; ++plane)
            for (int track = 0; track < 8; ++track)
                for (int n = 0; n < 8; ++n) {
                    if (!(weapon.phases[n] & kCore)) continue;
                    for (int facing = 0; facing < kHeadingCount; ++facing) {
                        const Link link = table.planes[plane][track].phases[n].launchLinks[StoredSlotOf(facing)];
                        EXPECT_EQ(ResolveLink<ShotPhase>(table, link), &table.planes[facing][track].phases[0])
                            << "plane " << plane << " track " << track << " phase " << n << " facing " << facing;
                    }
                }

        // Flown from the bound start: track 0 of every plane, ending only where the weapon's flight ends.
        const std::set<PhasePlace> reached = ReachablePhases(table, {{0, 0, 0}});
        std::set<PhasePlace> expected, ending, expectedEnding;
        const int last = weapon.phases[5] & kCore ? 5 : 0;
        for (int plane = 0; plane < kHeadingCount; ++plane) {
            for (int n = 0; n <= last; ++n) expected.insert({plane, 0, n});
            expectedEnding.insert({plane, 0, last});
        }
        for (const PhasePlace& at : reached)
            if (table.planes[at.plane][at.track].phases[at.phase].nextPhase == kNoLink) ending.insert(at);
        EXPECT_EQ(reached, expected);
        EXPECT_EQ(ending, expectedEnding);
    }
}

TEST_F(BrakonWeapons, FillReplacesGarbageHandlesAndRefillFreesTheFirstTexts) {
    for (const Weapon& weapon : kWeapons) {
        SCOPED_TRACE(weapon.name);
        const auto descriptor = FilledRecord<WeaponDescriptor>(0xA5);  // handles that name no text
        const auto table = FilledRecord<ShotTrackTable>(0);
        const std::uint32_t live = TextLiveCount();
        Fill(weapon, *descriptor, *table);
        EXPECT_EQ(TextLiveCount(), live + 2);
        ExpectSoundTexts(*descriptor, weapon);

        const TextHandle oldFire = descriptor->fireSound, oldHit = descriptor->hitSound;
        Fill(weapon, *descriptor, *table);
        EXPECT_EQ((std::array<int, 2>{TextRefCount(oldFire), TextRefCount(oldHit)}), (std::array<int, 2>{0, 0}));
        EXPECT_EQ(TextLiveCount(), live + 2);
        ExpectSoundTexts(*descriptor, weapon);
        ReleaseTexts(*descriptor);
        EXPECT_EQ(TextLiveCount(), live);
    }
}

}  // namespace
