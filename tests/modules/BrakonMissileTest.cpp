// Brakon's steering missile (weapon 4): DoviMSL builds the frame of every track,
// the eight path fillers MSL_UN .. MSL_UL the curves of one plane each.
#include "ModuleFixture.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

struct Filler { const char* name; int plane; bool staysOnHit; };  // staysOnHit: hitPhase 0 in phase 4 of track 4
// The loader's calling order, each with the plane of its name.
constexpr Filler kGameOrder[] = {{"MSL_DR", DR, true}, {"MSL_DL", DL, true}, {"MSL_DN", DN, false}, {"MSL_NR", NR, false},
                                 {"MSL_NL", NL, true}, {"MSL_UR", UR, true}, {"MSL_UL", UL, true}, {"MSL_UN", UN, false}};
constexpr int kLinkOrder[kHeadingCount] = {0, 1, 7, 2, 6, 4, 3, 5};  // heading behind steer / launch word k
constexpr int kLaunch[kHeadingCount][2] = {{0, -10}, {5, -5}, {10, 0}, {5, 5}, {0, 10}, {-5, 5}, {-10, 0}, {-5, -5}};
constexpr int kCruise[kHeadingCount][2] = {{0, -14}, {10, -10}, {15, 0}, {10, 10}, {0, 15}, {-10, 10}, {-15, 0}, {-10, -10}};
constexpr int kCurvePhases[] = {3, 4, 5, 8, 9, 10};
bool IsCurve(int n) { return std::find(std::begin(kCurvePhases), std::end(kCurvePhases), n) != std::end(kCurvePhases); }

Link To(const ShotTrackTable& t, int plane, int track, int phase) { return MakeLink(t, t.planes[plane][track].phases[phase]); }
std::string Where(long at) {  // a byte offset of the table, as plane/track/phase/word
    return at < 0 ? "nowhere" : std::to_string(at / 23680) + "/" + std::to_string(at % 23680 / 2368) + "/" +
                                    std::to_string(at % 2368 / 148) + " word " + std::to_string(at % 148 / 4);
}
void Mark(std::vector<bool>& mask, const ShotTrackTable& t, const auto&... fields) { (MarkField(mask, t, fields), ...); }
// What a curve filler writes (duration too); DoviMSL writes the same in the other phases.
void MarkMovement(std::vector<bool>& m, const ShotTrackTable& t, const ShotPhase& s) {
    Mark(m, t, s.velocityX, s.velocityY, s.duration, s.halfHeight, s.halfWidth, s.extentY, s.extentX, s.shotMode,
         s.knockBackMode, s.nextPhase);
}
void MarkCommon(std::vector<bool>& m, const ShotTrackTable& t, const ShotPhase& s) {
    Mark(m, t, s.damage, s.stun, s.duration, s.hitKind, s.spareWord, s.guardBreak, s.endOnOwnerHit, s.hitPhase, s.launchLinks);
}

struct Leg { int vx, vy, frames; bool operator==(const Leg&) const = default; };
std::ostream& operator<<(std::ostream& os, const Leg& l) { return os << "(" << l.vx << "," << l.vy << ")x" << l.frames; }
struct Flight { std::vector<Leg> legs; PhasePlace end{-1, -1, -1}; };

// One missile launched from the start phase facing `facing`, the opponent lying in
// direction `first` at the first steering and `second` at the second. Each frame it
// moves (a steered phase first turns into its successor and uses that phase's
// velocity), then ages; equal consecutive velocities merge into one leg.
Flight Fly(const ShotTrackTable& t, int facing, int first, int second) {
    Flight flight;
    const ShotPhase* phase = ResolveLink<ShotPhase>(t, t.planes[0][0].phases[0].launchLinks[StoredSlotOf(facing)]);
    int frame = 0, steers = 0;
    for (int guard = 0; phase && guard < 1000; ++guard) {
        if (phase->shotMode == ShotSteered) {
            phase = ResolveLink<ShotPhase>(t, phase->steerLinks[StoredSlotOf(steers++ == 0 ? first : second)]);
            frame = 0;
            if (!phase) break;
        }
        if (flight.legs.empty() || flight.legs.back().vx != phase->velocityX || flight.legs.back().vy != phase->velocityY)
            flight.legs.push_back({phase->velocityX, phase->velocityY, 0});
        ++flight.legs.back().frames;
        if (++frame != phase->duration) continue;
        frame = 0;
        if (phase->nextPhase == kNoLink) {
            flight.end = PlaceOf(t, *phase);
            return flight;
        }
        phase = ResolveLink<ShotPhase>(t, phase->nextPhase);
    }
    ADD_FAILURE() << "the missile never ended, or a link left the table";
    return flight;
}

class BrakonMissile : public ::testing::Test {
protected:
    LoadedModule module{BrakonPath()};
    WeaponExport* weapon = nullptr;

    void SetUp() override {
        ASSERT_TRUE(module.Loaded()) << dlerror();
        ASSERT_NE(weapon = module.Export<WeaponExport>("DoviMSL"), nullptr);
        for (const Filler& f : kGameOrder) ASSERT_NE(FillerOf(f), nullptr) << f.name;
    }
    PathFillerExport* FillerOf(const Filler& f) const { return module.Export<PathFillerExport>(f.name); }
    void BuildWeapon(ShotTrackTable& table) const {
        auto descriptor = FilledRecord<WeaponDescriptor>(0);
        weapon(descriptor.get(), &table);
        TextRelease(descriptor->fireSound);
        TextRelease(descriptor->hitSound);
    }
    template <typename Order> void BuildAll(ShotTrackTable& table, const Order& order) const {
        BuildWeapon(table);
        for (const Filler& f : order) FillerOf(f)(f.plane, &table);
    }
    std::unique_ptr<ShotTrackTable> Built() const {  // on a zero table, as the game state is
        auto table = FilledRecord<ShotTrackTable>(0);
        BuildAll(*table, kGameOrder);
        return table;
    }
};

TEST_F(BrakonMissile, DescriptorHoldsMissileValuesAndOwnsFreshSoundNames) {
    auto d = FilledRecord<WeaponDescriptor>(0x11);
    d->fireSound = d->hitSound = kEmptyText;
    const std::uint32_t live = TextLiveCount();
    weapon(d.get(), FilledRecord<ShotTrackTable>(0).get());
    weapon(d.get(), FilledRecord<ShotTrackTable>(0).get());  // the second call frees the first call's names
    for (const auto& offsets : d->launchOffsets) {
        EXPECT_EQ(std::pair(offsets[0].x, offsets[0].y), std::pair(0, 0));
        EXPECT_EQ(offsets[1].x, 0x11111111) << "only part 0 is ever launched";
    }
    EXPECT_EQ(d->ammunition, 63); EXPECT_EQ(d->gaugeCost, 0x11111111) << "not a gauge weapon";
    EXPECT_EQ(d->hideOnHit, 0); EXPECT_EQ(d->singleHit, 1); EXPECT_EQ(d->volleys, 8); EXPECT_EQ(d->shotsPerVolley, 1);
    EXPECT_EQ(d->trailCircles, 1); EXPECT_EQ(d->spareFlag, 1);
    for (int radius : d->trailRadii) EXPECT_EQ(radius, 10);
    EXPECT_STREQ(TextChars(d->fireSound), "ATTACK5"); EXPECT_EQ(TextRefCount(d->fireSound), 1);
    EXPECT_STREQ(TextChars(d->hitSound), "HITTED2"); EXPECT_EQ(TextRefCount(d->hitSound), 1);
    EXPECT_EQ(TextLiveCount(), live + 2);
    TextRelease(d->fireSound);
    TextRelease(d->hitSound);
}

TEST_F(BrakonMissile, WeaponAloneWritesFrameAndLeavesCurveMovementToFillers) {
    const auto written = WrittenBytes<ShotTrackTable>([&](ShotTrackTable& t) { BuildWeapon(t); });
    const auto t = FilledRecord<ShotTrackTable>(0xA5);
    BuildWeapon(*t);
    std::vector<bool> expected(sizeof(ShotTrackTable));  // tracks 8, 9 and phases 14, 15 stay unwritten
    for (int p = 0; p < kHeadingCount; ++p)
        for (int tr = 0; tr < 8; ++tr)
            for (int n = 0; n < 14; ++n) {
                const ShotPhase& s = t->planes[p][tr].phases[n];
                MarkCommon(expected, *t, s);
                if (!IsCurve(n)) MarkMovement(expected, *t, s);
                if (IsCurve(n) || n == 2 || n == 7) MarkField(expected, *t, s.steerLinks);
                EXPECT_EQ(std::vector({s.damage, s.stun, s.hitKind, s.spareWord, int{s.guardBreak}, int{s.endOnOwnerHit}}),
                          std::vector({44, 80, 1, 0, 1, 0})) << p << "/" << tr << "/" << n;
                EXPECT_EQ(s.hitPhase, To(*t, 0, 0, 12));
                for (int k = 0; k < kHeadingCount; ++k) EXPECT_EQ(s.launchLinks[k], To(*t, kLinkOrder[k], tr, 0));
                if (!IsCurve(n)) continue;
                EXPECT_EQ(s.duration, 4);
                for (Link l : s.steerLinks) EXPECT_EQ(l, To(*t, p, tr, 0));
            }
    EXPECT_EQ(Where(FirstMismatch(written, expected)), "nowhere");
}

TEST_F(BrakonMissile, FramePhasesFlyAtPlaneSpeedsAndExplode) {
    const auto t = Built();
    for (int p = 0; p < kHeadingCount; ++p) {
        const ShotPhase* s = t->planes[p][5].phases;
        EXPECT_EQ(std::pair(s[0].velocityX, s[0].velocityY), std::pair(kLaunch[p][0], kLaunch[p][1])) << p;
        for (int n : {1, 6, 11}) EXPECT_EQ(std::pair(s[n].velocityX, s[n].velocityY), std::pair(kCruise[p][0], kCruise[p][1])) << p;
        EXPECT_EQ(std::pair(s[7].velocityX, s[7].velocityY), std::pair(0, p == UN ? -10 : 0));
        EXPECT_EQ(std::vector({s[0].duration, s[1].duration, s[6].duration, s[11].duration}), std::vector({6, 24, 24, 24}));
        EXPECT_EQ(std::vector({s[12].duration, s[12].halfWidth, s[12].extentX, s[12].knockBackMode}), std::vector({5, 10, 32, 2}));
        EXPECT_EQ(std::vector({s[13].duration, s[13].halfHeight, s[13].halfWidth}), std::vector({5, 20, 20}));
        EXPECT_EQ(s[12].nextPhase, To(*t, p, 5, 13));
        EXPECT_EQ(s[13].nextPhase, kNoLink);
    }
}

TEST_F(BrakonMissile, FillerWritesOnlyCurveFieldsOfItsOwnPlane) {
    const auto t = FilledRecord<ShotTrackTable>(0);
    for (const Filler& f : kGameOrder) {
        const auto written = WrittenBytes<ShotTrackTable>([&](ShotTrackTable& table) { FillerOf(f)(f.plane, &table); });
        std::vector<bool> expected(sizeof(ShotTrackTable));
        for (int tr = 0; tr < 8; ++tr)
            for (int n : kCurvePhases) MarkMovement(expected, *t, t->planes[f.plane][tr].phases[n]);
        if (f.staysOnHit) MarkField(expected, *t, t->planes[f.plane][4].phases[4].hitPhase);
        EXPECT_EQ(Where(FirstMismatch(written, expected)), "nowhere") << f.name;
    }
}

TEST_F(BrakonMissile, FillerOrderAndRepetitionDoNotMatter) {
    auto reference = FilledRecord<ShotTrackTable>(0xA5);
    BuildAll(*reference, kGameOrder);
    const auto& g = kGameOrder;
    std::vector<std::vector<Filler>> orders{{g[7], g[6], g[5], g[4], g[3], g[2], g[1], g[0]},
                                            {g[5], g[0], g[7], g[2], g[6], g[3], g[1], g[4]},
                                            {g[0], g[1], g[2], g[3], g[4], g[5], g[6], g[7], g[3], g[0], g[7]}};
    for (const auto& order : orders) {
        auto table = FilledRecord<ShotTrackTable>(0xA5);
        BuildAll(*table, order);
        EXPECT_EQ(std::memcmp(table.get(), reference.get(), sizeof(ShotTrackTable)), 0) << "first " << order[0].name;
    }
}

TEST_F(BrakonMissile, FillerGivenPlaneOutsideTableWritesNothing) {
    constexpr int kBefore = 8, kAfter = 1000;  // room for planes -8 .. 1007 around the table
    std::vector<ShotTrack> room((kBefore + kHeadingCount + kAfter) * kTracksPerPlane);
    std::memset(static_cast<void*>(room.data()), 0xA5, room.size() * sizeof(ShotTrack));
    const std::vector<ShotTrack> untouched = room;
    auto* table = reinterpret_cast<ShotTrackTable*>(&room[kBefore * kTracksPerPlane]);
    for (const Filler& f : kGameOrder)
        for (int plane : {-1, -8, 8, 9, 1000}) {
            FillerOf(f)(plane, table);
            if (std::memcmp(room.data(), untouched.data(), room.size() * sizeof(ShotTrack)) == 0) continue;
            ADD_FAILURE() << f.name << " wrote with plane " << plane;
            room = untouched;
        }
}

TEST_F(BrakonMissile, CurvesTurnFromThePlaneTowardTheTrack) {
    const auto t = Built();
    struct Cell { int plane, track, phase, vx, vy; };
    for (const Cell& c : std::initializer_list<Cell>{
             {0, 2, 3, 8, -8}, {0, 2, 4, 12, -4}, {0, 2, 5, 12, 2}, {0, 2, 10, 12, 2}, {1, 3, 5, 4, 10}, {2, 5, 3, -12, 6},
             {2, 6, 9, 0, -8}, {3, 7, 3, 10, 8}, {5, 0, 4, 8, -4}, {6, 4, 5, 2, 12}, {7, 7, 8, -14, -14},
             // where the second curve differs from the first
             {0, 1, 3, 6, -12}, {0, 1, 8, 12, -6}, {0, 1, 9, 6, -6}, {0, 7, 3, -6, -12}, {0, 7, 8, -12, -6},
             {1, 5, 3, 10, -8}, {1, 5, 8, 10, -4}, {4, 3, 3, 6, 12}, {4, 3, 8, 12, 6}, {4, 5, 3, -6, 12}, {4, 5, 8, -12, 6},
             {5, 6, 3, -4, 10}, {5, 6, 8, -4, -10}, {5, 6, 9, -10, 0}, {7, 3, 5, 0, 10}, {7, 3, 8, -10, 4}, {7, 3, 10, 10, 0}}) {
        const ShotPhase& s = t->planes[c.plane][c.track].phases[c.phase];
        EXPECT_EQ(std::pair(s.velocityX, s.velocityY), std::pair(c.vx, c.vy)) << c.plane << "/" << c.track << "/" << c.phase;
    }
}

TEST_F(BrakonMissile, CurvesLastEightFramesLeadIntoTheTracksPlaneAndExplodeOnHit) {
    const auto t = Built();
    for (int p = 0; p < kHeadingCount; ++p)
        for (int tr = 0; tr < 8; ++tr)
            for (int n : kCurvePhases) {
                const ShotPhase& s = t->planes[p][tr].phases[n];
                EXPECT_EQ(std::vector({s.duration, s.halfHeight, s.halfWidth, s.extentY, s.extentX, s.shotMode, s.knockBackMode}),
                          std::vector({8, 10, 10, 12, 12, 0, 1})) << p << "/" << tr << "/" << n;
                EXPECT_EQ(s.nextPhase, n == 5 || n == 10 ? To(*t, tr, tr, n + 1) : To(*t, p, tr, n + 1)) << p << "/" << tr << "/" << n;
                const bool stays = n == 4 && tr == 4 && (p == UR || p == DR || p == DL || p == NL || p == UL);
                EXPECT_EQ(s.hitPhase, stays ? kNoLink : To(*t, 0, 0, 12)) << p << "/" << tr << "/" << n;
            }
}

TEST_F(BrakonMissile, SteeringAndLaunchLinksFollowStoredHeadingOrder) {
    const auto t = Built();
    for (int p = 0; p < kHeadingCount; ++p)
        for (int tr = 0; tr < 8; ++tr)
            for (int n : {2, 7}) {
                EXPECT_EQ(t->planes[p][tr].phases[n].shotMode, ShotSteered);
                for (int k = 0; k < kHeadingCount; ++k)
                    EXPECT_EQ(t->planes[p][tr].phases[n].steerLinks[k], To(*t, p, kLinkOrder[k], n + 1)) << p << "/" << tr << "/" << n;
            }
    EXPECT_EQ(t->planes[DR][3].phases[9].launchLinks[2], To(*t, UL, 3, 0));  // word 30: facing up-left
    EXPECT_EQ(t->planes[DR][3].phases[9].launchLinks[3], To(*t, NR, 3, 0));  // word 31: facing right
}

TEST_F(BrakonMissile, MissileFacingRightWithOpponentRightFliesStraightThenExplodes) {
    const Flight f = Fly(*Built(), NR, NR, NR);
    EXPECT_EQ(f.legs, (std::vector<Leg>{{10, 0, 6}, {15, 0, 24}, {14, 0, 24}, {15, 0, 24}, {14, 0, 24}, {15, 0, 24}, {0, 0, 10}}));
    EXPECT_EQ(f.end, (PhasePlace{NR, NR, 13}));
}

TEST_F(BrakonMissile, MissileFlyingUpSteeredRightCurvesIntoRightPlane) {
    const Flight f = Fly(*Built(), UN, NR, NR);
    EXPECT_EQ(f.legs, (std::vector<Leg>{{0, -10, 6}, {0, -14, 24}, {8, -8, 8}, {12, -4, 8}, {12, 2, 8}, {15, 0, 24},
                                        {14, 0, 24}, {15, 0, 24}, {0, 0, 10}}));
}

TEST_F(BrakonMissile, MissileTurningTwiceTakesSecondCurveAndEndsOnLastSteeredTrack) {
    const auto t = Built();
    const Flight f = Fly(*t, NR, UN, UR);
    EXPECT_EQ(f.legs, (std::vector<Leg>{{10, 0, 6}, {15, 0, 24}, {8, -8, 8}, {4, -12, 8}, {-2, -12, 8}, {0, -14, 24},
                                        {12, -6, 8}, {6, -6, 8}, {10, -10, 32}, {0, 0, 10}}));
    ASSERT_EQ(f.end, (PhasePlace{UR, UR, 13}));
    // the next missile from this record starts on the track it last steered into
    EXPECT_EQ(t->planes[UR][UR].phases[13].launchLinks[StoredSlotOf(DL)], To(*t, DL, UR, 0));
}

TEST_F(BrakonMissile, EveryReachablePhaseIsWrittenRelaunchesInsideAndEndsOnlyByExploding) {
    const auto t = Built();
    const auto written = WrittenBytes<ShotTrackTable>([&](ShotTrackTable& table) { BuildAll(table, kGameOrder); });
    std::vector<bool> read(sizeof(ShotTrackTable));
    std::set<PhasePlace> ending, staying, expectEnding, expectStaying;
    for (int h = 0; h < kHeadingCount; ++h) expectEnding.insert({h, h, 13});
    for (int p : {UR, DR, DL, NL, UL}) expectStaying.insert({p, 4, 4});
    for (const PhasePlace& at : ReachablePhases(*t, {{0, 0, 0}})) {
        const ShotPhase& s = t->planes[at.plane][at.track].phases[at.phase];
        for (Link l : s.launchLinks) EXPECT_NE(ResolveLink<ShotPhase>(*t, l), nullptr);
        MarkCommon(read, *t, s);
        MarkMovement(read, *t, s);
        if (s.shotMode == ShotSteered) MarkField(read, *t, s.steerLinks);
        if (s.nextPhase == kNoLink) ending.insert(at);
        if (s.hitPhase == kNoLink) staying.insert(at);
    }
    for (std::size_t i = 0; i < read.size(); ++i) read[i] = read[i] && !written[i];
    EXPECT_EQ(Where(FirstMismatch(read, std::vector<bool>(read.size()))), "nowhere") << "read but never written";
    EXPECT_EQ(ending, expectEnding);
    EXPECT_EQ(staying, expectStaying);
}

}  // namespace
