#include "GameState.h"

#include <iterator>

const RobotNames kRobotNames[] = {
    // select screen, versus screen, fight screen, result table
    {"Vazede type Didazav", "Vazede type Didazav", "Vazede type Varerav", "Vazede type T"},
    {"VezoRer", "VezoRer", "VezoRer", "VezoRer"},
    {"VedarAzer", "VedarAzer", "VedarAzer", "VedarAzer"},
    {"Vo-Do(毒虎)", "Vo-Do", "Vo-Do", "Vo-Do"},
    {"Vazede type Zazov", "Vazede type Zazov", "Vazede type Vevuz", "Vazede type V"},
    {"DedoVez", "Dedo Vez", "DedoVez", "DedoVez"},
    {"VuruRovavu", "VuruRovavu", "VuruRovavu", "VuruRovavu"},
    {"DudaVazovIrivar", "DudaVazovIrivar", "DudaVazovIrivar", "DudaVazovIrivar"},
    {"Zozuva-Dodar", "Zozuva-Dodar", "Zozuva Dodar", "ZozuvaDodar"},
    {"D-2-O", "Vaved Avedove Zidi", "D-2-O", "D-2-O"},
    {"DodizevoZ", "DodizevoZ", "DodizevoZ", "DodizevoZ"},
};
static_assert(std::size(kRobotNames) == kRobotCount,
              "a name row for every robot: add the new robot's select, versus, fight and result names");

TForm1::~TForm1() {
    for (auto& player : weapons)
        for (WeaponDescriptor& weapon : player) {
            TextRelease(weapon.fireSound);
            TextRelease(weapon.hitSound);
        }
    TextRelease(DummyWeapon.fireSound);
    TextRelease(DummyWeapon.hitSound);
}

void ResetPlayerRecord(PlayerRecord& player) {
    // Every speed word is cleared, but each row's deceleration period survives.
    std::int32_t moveDecel[kHeadingCount], dashDecel[kHeadingCount];
    for (int row = 0; row < kHeadingCount; ++row) {
        moveDecel[row] = player.moveTable.rows[row].decelPeriod;
        dashDecel[row] = player.dashTable.rows[row].decelPeriod;
    }

    player = PlayerRecord{};
    for (std::int32_t& ammo : player.ammo) ammo = 1;
    player.hitPoints = 2;
    player.gauge = 2;
    player.posX = 100;
    player.posY = 100;

    for (int row = 0; row < kHeadingCount; ++row) {
        player.moveTable.rows[row].decelPeriod = moveDecel[row];
        player.dashTable.rows[row].decelPeriod = dashDecel[row];
    }
}

void ResetShot(ShotRecord& shot) {
    shot.x = 10;
    shot.y = 10;
    shot.heading = 0;
    shot.live = 0;
    shot.canHit = 0;
    shot.visible = 0;
    shot.phaseFrame = 0;
    shot.weapon = nullptr;
    shot.phase = nullptr;
}

void TForm1::SeedRandom(std::uint32_t seed) { randomSeed = seed; }

std::int32_t TForm1::Random() {
    randomSeed = randomSeed * 22695477u + 1u;
    return static_cast<std::int32_t>((randomSeed >> 16) & 0x7FFF);
}

void TForm1::MakeDammyData(WeaponDescriptor& weapon) {
    weapon.singleHit = 1;
    weapon.hideOnHit = 1;
    for (auto& facing : weapon.launchOffsets)
        for (int part = 0; part < 6; ++part) facing[part] = {0, 0};
    weapon.ammunition = 100;
    weapon.volleys = 1;
    weapon.shotsPerVolley = 1;
}

void TForm1::MakeDammyMove(ShotPhase& phase, const ShotPhase& linkTarget) {
    phase.damage = 12;
    phase.stun = 1;
    phase.duration = 1;
    phase.hitKind = 1;
    phase.halfHeight = 1;
    phase.halfWidth = 1;
    phase.extentY = 1;
    phase.extentX = 1;
    phase.spareWord = 1;
    phase.shotMode = ShotRiding;
    phase.guardBreak = 0;
    phase.knockBackMode = 1;
    phase.velocityX = 0;
    phase.velocityY = 0;
    phase.nextPhase = kNoLink;

    const Link target = MakeLink(dummyTrack, linkTarget);
    phase.hitPhase = target;
    for (Link& link : phase.steerLinks) link = target;
    for (Link& link : phase.launchLinks) link = target;
}

void TForm1::MakeDefaultWeapon() {
    // Every link leads back to the first phase, so whatever record a launch
    // starts from, the shot rides one frame at its owner and ends.
    const ShotPhase& first = dummyTrack.tracks[0][0].phases[0];
    for (auto& group : dummyTrack.tracks)
        for (ShotTrack& track : group)
            for (int n = 0; n < 10; ++n) MakeDammyMove(track.phases[n], first);
    MakeDammyData(DummyWeapon);
}
