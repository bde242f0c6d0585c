#include "FightStage.h"
#include "GameFixture.h"
#include "Motion.h"
#include "ScriptedPlayer.h"

#include <algorithm>
#include <tuple>

namespace {

// Brakon (robot 7, player 1) against Saltrim (robot 4) in a two-player bout,
// entered from the versus screen as the game does.
class Bout : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        StartGame();
        Enter(ModeTwoPlayers);
    }
    void Enter(std::int32_t mode) { EnterBout(mode, robots[0], robots[1]); }
    std::int32_t robots[2] = {7, 4};
    bool Overlapping() { return BoxesOverlap(HitBoxAt(P(0), P(0).posX, P(0).posY), HitBoxAt(P(1), P(1).posX, P(1).posY)); }
    const platform::HeadlessSound::Buffer* Jingle() const {
        return platform::HeadlessSound::Inspect(devices.sound.JingleBuffer);
    }
    std::uint32_t WaveLength(const char* name) {
        WaveChunkPlace place;
        EXPECT_EQ(form->FindWaveChunks(name, place), platform::WaveFound) << name;
        return place.dataLength;
    }
};

}  // namespace

TEST_F(Bout, TheIntroWalksTheRobotsInWithoutReadingTheControlsThenLoadsTheFinishJingle) {
    P(0).buttonCode = 1;
    P(0).axisX = 1;
    Frames(74);
    EXPECT_EQ(form->GameStage, StageIntro);
    EXPECT_EQ(std::tuple(P(0).holdFrames[0], P(0).directionCode), std::tuple(0, 0)) << "no input in the intro";
    EXPECT_EQ(Jingle()->bytes->size(), WaveLength("S_START"));
    Frames(1);
    EXPECT_EQ(std::tuple(form->GameStage, form->StageFrameCounter, P(0).posX, P(1).posX),
              std::tuple(StageFight, 0, 760, 40));
    EXPECT_EQ(Jingle()->bytes->size(), WaveLength("S_FINISH"));
    EXPECT_FALSE(Jingle()->playing);
    Frames(1);
    EXPECT_EQ(P(0).holdFrames[0], 1) << "the fight proper reads the controls";
}

TEST_F(Bout, AFinishJingleThatCannotBeMadeClosesTheGame) {
    Frames(74);
    sound.Refuse(platform::SoundStep::CreateBuffer);
    Frames(1);
    EXPECT_TRUE(video->application.Closed());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"セカンダリ設定失敗1"});
    EXPECT_EQ(form->GameStage, StageIntro);
}

TEST_F(Bout, AKnockOutTakesHitPointsBelowZeroAndTenFramesMore) {
    SkipIntro();
    P(1).hitPoints = 0;
    Frames(1);
    EXPECT_EQ(form->KnockOutState, 0) << "0 hit points still stand";
    P(1).hitPoints = -1;
    const int jinglePlays = Jingle()->plays;
    Frames(10);
    EXPECT_EQ(std::tuple(form->GameStage, form->KnockOutState), std::tuple(StageFight, 2));
    Frames(1);
    EXPECT_EQ(std::tuple(form->GameStage, form->FightWinner, form->StageFrameCounter), std::tuple(StageFightEnd, 1, 0));
    EXPECT_EQ(Jingle()->plays, jinglePlays + 1);
    EXPECT_EQ(music.Playing(), "") << "the tune ends with the fight";
}

TEST_F(Bout, ATuneThatWillNotStopAtTheEndClosesTheGameWithoutTheFinishJingle) {
    SkipIntro();
    music.Refuse(platform::MusicStep::StopAll);
    P(1).hitPoints = -1;
    const auto plays = [this] { return std::count(sound.Log().begin(), sound.Log().end(), "play"); };
    const auto before = plays();
    Frames(11);
    EXPECT_TRUE(video->application.Closed());
    EXPECT_EQ(plays(), before);
}

TEST_F(Bout, BothFallingMakesADrawEvenTenFramesApart) {
    SkipIntro();
    P(0).hitPoints = P(1).hitPoints = -5;
    Frames(1);
    EXPECT_EQ(form->KnockOutState, 2) << "player 2's test comes second";
    Frames(10);
    EXPECT_EQ(std::tuple(form->GameStage, form->FightWinner), std::tuple(StageFightEnd, 0));

    Enter(ModeTwoPlayers);
    SkipIntro();
    P(0).hitPoints = -1;
    Frames(5);
    P(1).hitPoints = -1;
    Frames(6);
    EXPECT_EQ(std::tuple(form->KnockOutState, form->GameStage, form->FightWinner), std::tuple(1, StageFightEnd, 0));
}

TEST_F(Bout, TheEndStageReadsNoControlsThenHandsOverByMode) {
    SkipIntro();
    P(1).hitPoints = -1;
    Frames(11);
    ASSERT_EQ(form->GameStage, StageFightEnd);
    P(0).buttonCode = 1;
    Frames(149);
    EXPECT_EQ(std::tuple(form->GameStage, P(0).holdFrames[0]), std::tuple(StageFightEnd, 0)) << "no input decoded";
    Frames(1);
    EXPECT_EQ(std::tuple(form->GameStage, form->FightWinner, form->KnockOutState), std::tuple(StageSelect, 0, 0));
}

TEST_F(Bout, TheLadderMovesOnAfterAWinAndEndsAfterTheSixth) {
    // Keep the ladder to the two robots that have modules.
    for (auto& route : form->CpuLadder)
        for (std::int32_t& robot : route) robot = 4;
    struct Case {
        std::int32_t mode, winner, step;
        std::int32_t stage, stepAfter;
    } cases[] = {
        {ModeOnePlayer, 1, 4, StageVersus, 5},   {ModeOnePlayer, 1, 5, StageModeMenu, 0},
        {ModeOnePlayer, 2, 2, StageModeMenu, 0}, {ModeOnePlayer, 0, 2, StageModeMenu, 0},
        {ModeSurvival, 2, 0, StageModeMenu, 0},
    };
    for (const Case& c : cases) {
        Enter(c.mode);
        form->ladderStep = c.step;
        form->GameStage = StageFightEnd;
        form->FightWinner = c.winner;
        form->StageFrameCounter = 149;
        Frames(1);
        EXPECT_EQ(std::tuple(form->GameStage, form->ladderStep, form->FightWinner), std::tuple(c.stage, c.stepAfter, 0))
            << c.mode << " " << c.winner << " " << c.step;
    }
    EXPECT_FALSE(video->application.Closed());
}

TEST_F(Bout, ASurvivalWinCarriesTheHitPointsLeftAtTheEnd) {
    // A seed whose draw fields a robot that has a module.
    std::uint32_t seed = 1;
    for (;; ++seed) {
        form->SeedRandom(seed);
        const std::int32_t robot = form->Random() % kRobotCount + 1;
        if (robot == 4 || robot == 7) break;
    }
    form->SeedRandom(seed);
    Enter(ModeSurvival);
    form->survivalKills = 2;
    form->GameStage = StageFightEnd;
    form->FightWinner = 1;
    form->StageFrameCounter = 148;
    Frames(1);
    P(0).hitPoints = 321;  // struck during the end stage
    form->SeedRandom(seed);
    Frames(1);
    EXPECT_EQ(std::tuple(form->GameStage, form->survivalKills, form->carriedHitPoints), std::tuple(StageVersus, 3, 321));
    EXPECT_FALSE(video->application.Closed());
}

TEST(ScrollDelta, SharesOfRobotsMovingOutNearAnEdgeAddUpToThreeFifths) {
    Devices devices{};
    std::unique_ptr<TForm1> form{new TForm1(devices)};
    struct Robot {
        std::int32_t x, y, vx, vy;
    };
    struct Case {
        Robot a, b;
        std::int32_t dx, dy;
    } cases[] = {
        {{199, 300, -5, 0}, {400, 300, 0, 0}, 3, 0},   {{200, 300, -5, 0}, {400, 300, 0, 0}, 0, 0},
        {{600, 300, 5, 0}, {400, 300, 0, 0}, 0, 0},    {{601, 300, 5, 0}, {400, 300, 0, 0}, -3, 0},
        {{601, 300, -5, 0}, {400, 300, 0, 0}, 0, 0},   {{100, 300, -4, 0}, {150, 300, -3, 0}, 4, 0},
        {{100, 300, -4, 0}, {700, 300, 3, 0}, 0, 0},   {{700, 300, 4, 0}, {400, 300, 0, 0}, -2, 0},
        {{400, 149, 0, -5}, {400, 451, 0, 10}, 0, -3}, {{400, 150, 0, -5}, {400, 450, 0, 10}, 0, 0},
    };
    for (const Case& c : cases) {
        const Robot robots[2] = {c.a, c.b};
        for (int p = 0; p < 2; ++p) {
            PlayerRecord& r = form->players[p];
            r.posX = robots[p].x;
            r.posY = robots[p].y;
            r.speed[SenseLeft] = robots[p].vx < 0 ? -robots[p].vx : 0;
            r.speed[SenseRight] = robots[p].vx > 0 ? robots[p].vx : 0;
            r.speed[SenseUp] = robots[p].vy < 0 ? -robots[p].vy : 0;
            r.speed[SenseDown] = robots[p].vy > 0 ? robots[p].vy : 0;
        }
        const ScrollDelta d = ScrollDeltaOf(*form);
        EXPECT_EQ(std::tuple(d.dx, d.dy), std::tuple(c.dx, c.dy)) << c.a.x << "," << c.a.y << " " << c.b.x;
    }
}

TEST_F(Bout, AScrollCarriesTheOtherRobotAndTheShotsAndTheGridTwiceAsFar) {
    SkipIntro();
    Place(0, 150, 300);
    P(0).axisX = 2;  // left
    ShotRecord& shot = form->shotSlots[4][0][0];
    shot.phase = nullptr;  // a record that flies nowhere by itself
    shot.x = 400;
    // Every record of every weapon's rows and parts, in flight and flying nowhere by itself.
    int records = 0;
    for (auto& slot : form->shotSlots) {
        if (!slot[0][0].weapon) continue;
        for (int row = 0; row < VolleysOf(*slot[0][0].weapon); ++row)
            for (int part = 0; part < PartsOf(*slot[0][0].weapon); ++part) {
                ShotRecord& record = slot[row][part];
                record.phase = nullptr;
                record.live = 1;
                record.x = 400 + part;
                record.y = 200 + row;
                ++records;
            }
    }
    ASSERT_GT(records, 8);
    Frames(1);
    const std::int32_t speed = P(0).speed[SenseLeft];
    ASSERT_GT(speed, 0);
    const std::int32_t dx = 3 * speed / 5;
    ASSERT_GT(dx, 0);
    EXPECT_EQ(P(0).posX, 150 - speed + dx);
    EXPECT_EQ(P(1).posX, 500 + dx);
    EXPECT_EQ(form->BackgroundGrid[0][0].x, -100 + 2 * dx);
    EXPECT_EQ(shot.x, 400 + dx) << "a free record is carried too";
    for (int k = 0; k < kShotSlots; ++k) {
        const ShotRecord(&slot)[kShotRows][kMaxParts] = form->shotSlots[k];
        if (!slot[0][0].weapon) continue;
        for (int row = 0; row < VolleysOf(*slot[0][0].weapon); ++row)
            for (int part = 0; part < PartsOf(*slot[0][0].weapon); ++part)
                EXPECT_EQ(std::tuple(slot[row][part].x, slot[row][part].y), std::tuple(400 + part + dx, 200 + row))
                    << "slot " << k << " row " << row << " part " << part;
    }
}

TEST_F(Bout, AScrollCarriesNoRobotOverlappingTheOtherNorAnyOutOfTheArena) {
    SkipIntro();
    Place(0, 150, 300);
    P(0).axisX = 2;
    Place(1, 799, 590);  // the scroll would take it past the right edge; y stays inside
    Frames(1);
    EXPECT_EQ(P(1).posX, 799);
    EXPECT_EQ(P(1).posY, 590);

    // Robots overlapping already stay where they are; the world still scrolls.
    const std::int32_t halfWidth = P(0).robot->hitHalfWidth;
    Place(0, 150, 300);
    Place(1, 150 + halfWidth, 300);
    const std::int32_t gridX = form->BackgroundGrid[0][0].x;
    Frames(1);
    EXPECT_EQ(std::tuple(P(0).posX, P(1).posX), std::tuple(150, 150 + halfWidth));
    EXPECT_NE(form->BackgroundGrid[0][0].x, gridX);
}

TEST_F(Bout, PlayerTwosScrollTestSeesPlayerOneAlreadyCarried) {
    SkipIntro();
    P(0).axisX = 2;  // pressing against the left edge: its own moves are refused
    Frames(3);
    const std::int32_t dx = 3 * P(0).speed[SenseLeft] / 5;
    ASSERT_GE(dx, 2);
    const std::int32_t touching = P(0).robot->hitHalfWidth + P(1).robot->hitHalfWidth;
    Place(0, 2, 300);
    Place(1, 2 + touching + dx, 300);  // a gap as wide as the scroll: both carried
    Frames(1);
    EXPECT_EQ(std::tuple(P(0).posX, P(1).posX), std::tuple(2 + dx, 2 + touching + 2 * dx));

    Place(0, 2, 300);
    Place(1, 2 + touching + dx - 1, 300);
    Frames(1);
    EXPECT_EQ(std::tuple(P(0).posX, P(1).posX), std::tuple(2 + dx, 2 + touching + dx - 1))
        << "player 1 carried a pixel into player 2, which is held back";
    P(0).axisX = 0;
    P(1).axisX = 1;  // player 2 steps back: apart at once
    Frames(1);
    EXPECT_FALSE(Overlapping());
}

// Both robots dashing out at the left edge: the scroll sinks player 1 deeper
// into player 2 than either can step or dash out of. A hit's knock-back frees them.
TEST_F(Bout, RobotsSunkIntoEachOtherByTheScrollArePartedByAKnockBack) {
    SkipIntro();
    Place(0, 120, 300);
    Place(1, 120 + P(0).robot->hitHalfWidth + P(1).robot->hitHalfWidth + 15, 300);
    P(0).axisX = P(1).axisX = 2;
    P(0).buttonCode = P(1).buttonCode = ButtonDash;
    Frames(60);
    ASSERT_TRUE(Overlapping());
    P(0).buttonCode = P(1).buttonCode = 0;
    P(1).axisX = 1;
    Frames(300);
    ASSERT_TRUE(Overlapping()) << "walking and dashing steps are too short";
    int frame = 0;
    for (; frame < 60 && Overlapping(); ++frame) {
        P(0).buttonCode = frame % 12 < 3 ? 1 : 0;  // player 1 taps its gun
        Frames(1);
    }
    EXPECT_FALSE(Overlapping());
    EXPECT_LT(P(1).hitPoints, P(1).robot->maxHitPoints);
}

// Player 1's second weapon tests its hit before the shot ages; every other slot after.
TEST_F(Bout, OnlyPlayerOnesSecondWeaponHitsBeforeItsShotAges) {
    SkipIntro();
    for (int slot : {1, 5}) {
        ShotTrackTable& table = form->tracks[slot / 4][1];
        ShotPhase& first = table.planes[0][0].phases[0];
        ShotPhase& second = table.planes[0][0].phases[1];
        first = ShotPhase{};
        first.shotMode = ShotStraight;
        first.hitKind = 1;
        first.duration = 1;
        first.halfWidth = first.halfHeight = 5;
        first.damage = 7;
        first.nextPhase = MakeLink(table, second);
        second = first;
        second.hitKind = 0;
        ShotRecord& shot = form->shotSlots[slot][0][0];
        shot.phase = &first;
        shot.live = shot.canHit = shot.visible = 1;
        shot.phaseFrame = 0;
        const PlayerRecord& target = P(1 - slot / 4);
        shot.x = target.posX;
        shot.y = target.posY;
    }
    const std::int32_t hp1 = P(0).hitPoints, hp2 = P(1).hitPoints;
    Frames(1);
    EXPECT_EQ(P(1).hitPoints, hp2 - 7) << "player 1's weapon 2 hit";
    EXPECT_EQ(P(0).hitPoints, hp1) << "player 2's weapon 2 had aged into a harmless phase";
}

TEST_F(Bout, EachPlayersHitsSoundOnItsOwnSet) {
    SkipIntro();
    const auto plays = [](platform::SoundBuffer* b) { return platform::HeadlessSound::Inspect(b)->plays; };
    // A hit by each of player 1's four weapons, then one by player 2's first, a frame each.
    for (int slot : {0, 1, 2, 3, 4}) {
        const int player = slot / 4, weapon = slot % 4;
        ShotRecord& shot = form->shotSlots[slot][0][0];
        ShotPhase& phase = form->tracks[player][weapon].planes[0][0].phases[0];
        phase = ShotPhase{};
        phase.hitKind = 1;
        phase.duration = 100;
        phase.halfWidth = phase.halfHeight = 5;
        shot.phase = &phase;
        shot.live = shot.canHit = 1;
        shot.x = P(1 - player).posX;
        shot.y = P(1 - player).posY;
        const char* sound = TextChars(form->weapons[player][weapon].hitSound);
        ASSERT_EQ(std::string(sound).rfind("HITTED", 0), 0u) << slot;
        const int index = sound[6] - '1';
        platform::SoundBuffer* own = devices.sound.HitSoundBuffers[player == 0 ? 1 : 0][index];
        platform::SoundBuffer* other = devices.sound.HitSoundBuffers[player == 0 ? 0 : 1][index];
        const int ownBefore = plays(own), otherBefore = plays(other);
        Frames(1);
        EXPECT_EQ(plays(own), ownBefore + 1) << "slot " << slot << ": player 1's hits on the duplicate set, player 2's on the first";
        EXPECT_EQ(plays(other), otherBefore) << slot;
        shot.live = shot.canHit = 0;
    }
}

TEST_F(Bout, ATrackChangeEndsTheBoutByHitPointsEvenInTheIntro) {
    cd.SetDriveType("D:", platform::DriveType::CdRom);
    cd.InsertDisc(5);
    form->MusicSource = MusicCd;
    Enter(ModeTwoPlayers);
    ASSERT_EQ(form->MusicSource, MusicCd);
    P(0).hitPoints = 500;
    P(1).hitPoints = 499;
    const int startPlays = Jingle()->plays;
    cd.AdvanceToTrack(2);
    Frames(1);
    EXPECT_EQ(std::tuple(form->GameStage, form->FightWinner, form->StageFrameCounter), std::tuple(StageFightEnd, 1, 1))
        << "the frame of the time-over is the first of the end";
    EXPECT_EQ(Jingle()->bytes->size(), WaveLength("S_START")) << "the jingle then in the buffer";
    EXPECT_EQ(Jingle()->plays, startPlays + 1);
    EXPECT_FALSE(cd.IsOpen());

    // Equal hit points: a draw.
    Enter(ModeTwoPlayers);
    SkipIntro();
    P(0).hitPoints = P(1).hitPoints = 500;
    cd.AdvanceToTrack(3);
    Frames(1);
    EXPECT_EQ(std::tuple(form->GameStage, form->FightWinner), std::tuple(StageFightEnd, 0));
}

TEST_F(Bout, APulledDiscSoundsOnlyInTheFightProperAndLeavesTheBoutUntimed) {
    cd.SetDriveType("D:", platform::DriveType::CdRom);
    cd.InsertDisc(5);
    form->MusicSource = MusicCd;
    Enter(ModeTwoPlayers);
    cd.RemoveDisc();
    Frames(74);
    EXPECT_EQ(form->MusicSource, MusicCd) << "the intro does not look";
    EXPECT_TRUE(system.wavePlays.empty());
    Frames(2);
    EXPECT_EQ(form->MusicSource, MusicMidi);
    ASSERT_EQ(system.wavePlays.size(), 1u);
    EXPECT_EQ(std::filesystem::path(system.wavePlays[0].path).filename(), "Cut1.wav");
    EXPECT_EQ(form->GameStage, StageFight);
}

namespace {

// Whole bouts through the frame loop, with keys held as a person would.
class ScriptedBout : public Bout {
protected:
    // Frames until the bout has been handed over (or the cap); the lowest
    // hit points each player reached on the way.
    int PlayOut(int cap, int p1Weapon, int p2Weapon) {
        int frame = 0;
        for (; frame < cap && form->GameStage >= StageIntro && form->GameStage <= StageFightEnd; ++frame) {
            PressKeys(video->keyboard, kPlayer1Keys, P(0), P(1), frame, p1Weapon);
            PressKeys(video->keyboard, kPlayer2Keys, P(1), P(0), frame + 5, p2Weapon);
            form->AppIdle();
            if (video->application.Closed()) break;
            for (int p = 0; p < 2; ++p) lowest[p] = std::min(lowest[p], P(p).hitPoints);
            if (form->GameStage == StageFight) CheckInvariants();
        }
        return frame;
    }
    void CheckInvariants() {
        for (int p = 0; p < 2; ++p) {
            ASSERT_GT(P(p).posX, 0);
            ASSERT_LT(P(p).posX, 800);
            ASSERT_GT(P(p).posY, 0);
            ASSERT_LT(P(p).posY, 600);
            ASSERT_LE(P(p).gauge, P(p).robot->gaugeMax);
            for (std::int32_t ammo : P(p).ammo) ASSERT_GE(ammo, 0);
            const auto* node = reinterpret_cast<const std::uint8_t*>(P(p).motionNode);
            const auto* graph = reinterpret_cast<const std::uint8_t*>(&form->motionGraphs[p]);
            ASSERT_TRUE(node >= graph && node < graph + sizeof(MotionGraph));
        }
        // The scroll may sink one robot into the other; they never stay stuck.
        overlapFrames = Overlapping() ? overlapFrames + 1 : 0;
        ASSERT_LT(overlapFrames, 120) << P(0).posX << "," << P(0).posY << " " << P(1).posX << "," << P(1).posY;
    }
    std::int32_t lowest[2] = {INT32_MAX, INT32_MAX};
    int overlapFrames = 0;
};

}  // namespace

TEST_F(ScriptedBout, EachWeaponFightsABoutToTheEnd) {
    // Player 1 uses one weapon per bout, player 2 another; every bout ends
    // by a knock-out and is handed back to the selection. Then sides swap.
    for (auto pairing : {std::pair{7, 4}, std::pair{4, 7}})
        for (int weapon = 0; weapon < 4; ++weapon) {
            robots[0] = pairing.first;
            robots[1] = pairing.second;
            Enter(ModeTwoPlayers);
            lowest[0] = lowest[1] = INT32_MAX;
            const int frames = PlayOut(20000, weapon, 3 - weapon);
            ASSERT_FALSE(video->application.Closed());
            const std::string bout = "robot " + std::to_string(robots[0]) + " weapon " + std::to_string(weapon + 1);
            EXPECT_LT(std::min(lowest[0], lowest[1]), 0) << bout;
            EXPECT_EQ(form->GameStage, StageSelect) << bout << " after " << frames << " frames";
        }
}
