// The robot module contract: every record that crosses between Torvane and a
// robot module, the links inside them, the sound-name texts, and the kinds of
// export. Which robot exports what is the roster's table (game/roster/RobotTable.cpp).
//
// A module is a shared library that Torvane loads before a bout, calls once per
// export to fill records the game owns, and unloads at once. No module code runs
// during a fight. Modules are built apart from the game, so every record here is
// laid out to the byte; the static_asserts below pin each size and offset.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

static_assert(std::endian::native == std::endian::little, "records are little-endian");

// ---------------------------------------------------------------------------
// Links
//
// A link is one 32-bit word: the byte offset of its target from the start of
// the block the module was handed (the MotionGraph, the ShotTrackTable, or the
// game's own default track block). Addresses are 64 bits wide here, so offsets
// are the form both sides agree on; as a bonus the records are the same bytes
// wherever they lie. For hitPhase and nextPhase, 0 means "none", so no module
// may link the first phase of a block there.
// ---------------------------------------------------------------------------
using Link = std::uint32_t;
inline constexpr Link kNoLink = 0;

template <typename Target, typename Block>
Link MakeLink(const Block& block, const Target& target) {
    const auto* base = reinterpret_cast<const std::byte*>(&block);
    const auto* at = reinterpret_cast<const std::byte*>(&target);
    return static_cast<Link>(at - base);
}

// The target of a link, or null when the link does not name a whole Target
// inside the block (a module wrote garbage; the caller must not follow it).
template <typename Target, typename Block>
Target* ResolveLink(Block& block, Link link) {
    if (link % sizeof(Target) != 0 || link > sizeof(Block) - sizeof(Target)) return nullptr;
    return reinterpret_cast<Target*>(reinterpret_cast<std::byte*>(&block) + link);
}

template <typename Target, typename Block>
const Target* ResolveLink(const Block& block, Link link) {
    return ResolveLink<Target>(const_cast<Block&>(block), link);
}

// ---------------------------------------------------------------------------
// Headings: 0-7 clockwise from up; the letters are the vertical, then the
// horizontal part (U up, D down, R right, L left, N none).
// ---------------------------------------------------------------------------
enum Heading : std::int32_t { UN = 0, UR = 1, NR = 2, DR = 3, DN = 4, DL = 5, NL = 6, UL = 7 };
inline constexpr int kHeadingCount = 8;

// steerLinks and launchLinks are stored in this order of headings, not 0-7.
inline constexpr Heading kStoredHeadingOrder[kHeadingCount] = {UN, UR, UL, NR, NL, DN, DR, DL};

// Index into steerLinks / launchLinks of the entry for a heading.
constexpr int StoredSlotOf(int heading) {
    for (int slot = 0; slot < kHeadingCount; ++slot)
        if (kStoredHeadingOrder[slot] == heading) return slot;
    return 0;
}

// ---------------------------------------------------------------------------
// Sound-name texts
//
// A weapon names its fire and hit sounds with reference-counted texts. Each
// lives in a block {int32 refCount; int32 length; chars; NUL}; a negative
// count marks a constant that is never freed. A module builds the texts, the
// game reads them after the module is unloaded and may free them, and one
// module frees texts another built. So every text comes from one allocator in
// one shared library (libvorntak_text.so) that the game and every module link:
// a text never lives in a module's memory, which vanishes at unload. A record
// holds a 32-bit handle that library resolves; 0 is the empty text, and a
// handle that names no live text also reads as empty and is ignored.
// Called on the game's one thread only.
// ---------------------------------------------------------------------------
using TextHandle = std::uint32_t;
inline constexpr TextHandle kEmptyText = 0;

#define TEXT_API extern "C" __attribute__((visibility("default")))

TEXT_API TextHandle TextCreate(const char* chars);          // new text, count 1
TEXT_API TextHandle TextCreateConstant(const char* chars);  // never freed
TEXT_API void TextAssign(TextHandle* field, TextHandle text); // field takes a reference, drops its old one
TEXT_API void TextRelease(TextHandle text);                 // drops one reference, frees at 0
TEXT_API const char* TextChars(TextHandle text);            // "" for the empty or a dead handle
TEXT_API std::int32_t TextLength(TextHandle text);          // characters without the NUL
TEXT_API std::int32_t TextRefCount(TextHandle text);        // 0 for the empty or a dead handle
TEXT_API std::uint32_t TextLiveCount();                     // texts currently allocated

// ---------------------------------------------------------------------------
// Robot descriptor, written by Move (or VidiruMove)
// ---------------------------------------------------------------------------
inline constexpr int kSpeedGroups = 8;  // right, left, up, up-right, up-left, down, down-left, down-right
inline constexpr int kAccelSteps = 4;

struct SpeedPair {
    std::int32_t x;  // speed magnitude along x, pixels per frame
    std::int32_t y;  // speed magnitude along y
};

struct SpeedRow {                                      // one row per facing
    SpeedPair speeds[kSpeedGroups][kAccelSteps];       // [direction group][acceleration step]
    std::int32_t decelPeriod;                          // frames per speed decay step; read from row 0 of normalSpeeds only
};

struct SpeedTable {
    SpeedRow rows[kHeadingCount];  // row = the robot's current heading
};

struct RobotDescriptor {
    std::int32_t maxHitPoints;     // hit points at bout start; 0 marks a robot whose module did not load
    std::int32_t gaugeMax;         // gauge at bout start and bound of regeneration
    std::int32_t reserved[4];      // never written, never read
    std::int32_t drawHalfHeight;   // half height of the drawn wireframe, pixels
    std::int32_t drawHalfWidth;    // half width of the drawn wireframe, pixels
    std::int32_t hitHalfHeight;    // half height of the robot's rectangle, pixels
    std::int32_t hitHalfWidth;     // half width of the robot's rectangle, pixels
    std::int32_t spareParam;       // written, not read
    std::int32_t stunRecoveryStep; // added to the motion frame counter each frame in a stun node
    SpeedTable normalSpeeds;       // normal movement
    SpeedTable dashSpeeds;         // dash movement
};

// ---------------------------------------------------------------------------
// Motion graph, written by Motion: 84 nodes in 7 chains of 12 (neutral, the
// four weapon motions, guard, hit). The game follows links only.
// ---------------------------------------------------------------------------
inline constexpr int kMotionNodes = 84;
inline constexpr int kNodesPerChain = 12;

enum Pose : std::int32_t { PoseNeutral = 0, PoseWeapon1 = 1, PoseWeapon2 = 2, PoseWeapon3 = 3,
                           PoseWeapon4 = 4, PoseGuard = 5, PoseHit = 6 };

struct MotionNode {
    std::uint8_t canAct;         // 1: a weapon or guard action may start here
    std::uint8_t reserved1[3];
    std::int32_t pose;           // the node's chain; PoseHit makes it a stun node
    std::uint8_t canMove;        // 1: moves, dashes, regenerates; otherwise speeds are cleared each frame
    std::uint8_t reserved2[3];
    std::int32_t frameCount;     // frames the node lasts (not read in a stun node)
    std::uint8_t fires;          // 1: the current action's weapon launches here
    std::uint8_t canTurn;        // 1: the heading follows the opponent here
    std::uint8_t reserved3[2];
    std::int32_t motionNumber;   // chain number, not read
    std::int32_t stepNumber;     // place in the chain, not read
    Link nextNode;               // successor when the frames run out with nothing held; also after a stun
    Link weaponNodes[4];         // successor for weapons 1-4
    Link guardNode;              // successor when guard is requested
    Link hitNode;                // node entered when a hit stuns the robot
    Link graphBase;              // node 0, not read
};

struct MotionGraph {
    MotionNode nodes[kMotionNodes];
};

// ---------------------------------------------------------------------------
// Weapons: a descriptor and a table of shot tracks, 8 heading planes of 10
// tracks of 16 phases. A shot walks its phases through links only.
// ---------------------------------------------------------------------------
inline constexpr int kMaxParts = 10;    // parts per volley
inline constexpr int kMaxVolleys = 8;   // volley rows a weapon may use
inline constexpr int kTracksPerPlane = 10;
inline constexpr int kPhasesPerTrack = 16;

struct LaunchOffset {
    std::int32_t x;  // pixels from the owner's position
    std::int32_t y;
};

struct WeaponDescriptor {
    LaunchOffset launchOffsets[kHeadingCount][kMaxParts]; // [owner's facing][part]; [h][0] also holds riding shots
    std::uint8_t reserved1[160];
    std::int32_t ammunition;     // parts launched by the ammunition rule in one fight
    std::int32_t gaugeCost;      // gauge per part launched by the gauge rule
    std::uint8_t hideOnHit;      // 1: a hit hides the shot
    std::uint8_t singleHit;      // 1: a hit stops the shot from hitting again
    std::uint8_t reserved2[2];
    std::int32_t volleys;        // volley rows in flight at once, 1-8
    std::int32_t shotsPerVolley; // parts per volley, 1-10
    TextHandle fireSound;        // WAVE resource played when part 0 of a volley launches
    TextHandle hitSound;         // WAVE resource played when a shot hits
    std::int32_t trailCircles;   // 1: the drawer circles the three trail points
    std::int32_t trailRadii[3];  // circle radius around trail point 0 (newest), 1, 2
    std::int32_t spareFlag;      // not read
};

enum ShotMode : std::int32_t {
    ShotStraight = 0,  // position += velocity
    ShotSteered = 1,   // turn toward the opponent through steerLinks, then move
    ShotPlaced = 2,    // position = opponent + velocity
    ShotChasing = 3,   // step toward the opponent by the velocity words
    ShotRiding = 4,    // position = owner + launchOffsets[heading][0]; gauge rule
    ShotBeam = 5,      // moves as straight, drawn as a line from the owner; gauge rule
};

struct ShotPhase {
    std::int32_t velocityX;      // pixels per frame, read by shotMode
    std::int32_t velocityY;
    std::int32_t damage;         // hit points taken; a guarding robot loses a quarter
    std::int32_t stun;           // stun length in frames
    std::int32_t duration;       // frames in the phase; 0 or less never runs out
    std::int32_t hitKind;        // 0 harmless, 1 and 2 tested, 3 jumps to hitPhase at once
    std::int32_t halfHeight;     // half height of the shot's rectangle and ellipse
    std::int32_t halfWidth;      // half width of the same
    std::int32_t extentY;        // vertical tail of the trail; reach of a beam or of the arms
    std::int32_t extentX;        // horizontal tail
    std::int32_t reserved1[4];
    std::int32_t spareWord;      // not read
    std::int32_t shotMode;       // a ShotMode
    std::uint8_t guardBreak;     // 1: a hit on a guard also stuns
    std::uint8_t reserved2[3];
    std::int32_t knockBackMode;  // 1: knocked back along the shot's heading; else away from the shot
    std::uint8_t endOnOwnerHit;  // 1: the shot ends while its owner is stunned
    std::uint8_t reserved3[3];
    Link hitPhase;               // phase after a hit (hit kinds 1, 2) or at once (3); kNoLink: stay
    Link steerLinks[kHeadingCount];  // successor per direction to the opponent, stored order
    Link launchLinks[kHeadingCount]; // start phase per owner facing at launch, stored order
    Link nextPhase;              // phase after duration runs out; kNoLink: the shot ends
};

struct ShotTrack {
    ShotPhase phases[kPhasesPerTrack];
};

struct ShotTrackTable {
    ShotTrack planes[kHeadingCount][kTracksPerPlane];  // [heading flown][track]
};

// ---------------------------------------------------------------------------
// The exports. Each fills the records behind its pointers with constants and
// returns nothing; it reads nothing but the texts it replaces and keeps nothing.
// ---------------------------------------------------------------------------
extern "C" {
using MoveExport = void(RobotDescriptor* robot, std::int32_t speedBias);  // body, speeds (+ bias)
using VidiruMoveExport = void(RobotDescriptor* robot);                    // robot 1: no bias
using MotionExport = void(MotionGraph* graph);                            // the motion graph
using WeaponExport = void(WeaponDescriptor* weapon, ShotTrackTable* tracks); // one weapon and its tracks
using PathFillerExport = void(std::int32_t plane, ShotTrackTable* tracks);   // missile curves of one plane
}


template <typename Kind>
inline constexpr bool kIsExportKind = std::is_same_v<Kind, MoveExport> || std::is_same_v<Kind, VidiruMoveExport> ||
                                      std::is_same_v<Kind, MotionExport> || std::is_same_v<Kind, WeaponExport> ||
                                      std::is_same_v<Kind, PathFillerExport>;

// Marks a module's export where it is defined, the one place its name stands in
// the module: visible (everything else in a module is hidden), C linkage, and
// declared first as its kind, so a definition that strays from it fails to build.
//   ROBOT_EXPORT(WeaponExport, <name>)(WeaponDescriptor* weapon, ShotTrackTable* tracks) { ... }
#define ROBOT_EXPORT(Kind, name)                                                 \
    static_assert(kIsExportKind<Kind>, #Kind " is no kind of robot export");     \
    extern "C" __attribute__((visibility("default"))) Kind name;                 \
    extern "C" __attribute__((visibility("default"))) void name

// ---------------------------------------------------------------------------
// The layout, pinned.
// ---------------------------------------------------------------------------
static_assert(sizeof(SpeedRow) == 260 && sizeof(SpeedTable) == 2080);
static_assert(offsetof(SpeedRow, decelPeriod) == 256);

static_assert(sizeof(RobotDescriptor) == 4208);
static_assert(offsetof(RobotDescriptor, maxHitPoints) == 0);
static_assert(offsetof(RobotDescriptor, gaugeMax) == 4);
static_assert(offsetof(RobotDescriptor, reserved) == 8);
static_assert(offsetof(RobotDescriptor, drawHalfHeight) == 24);
static_assert(offsetof(RobotDescriptor, drawHalfWidth) == 28);
static_assert(offsetof(RobotDescriptor, hitHalfHeight) == 32);
static_assert(offsetof(RobotDescriptor, hitHalfWidth) == 36);
static_assert(offsetof(RobotDescriptor, spareParam) == 40);
static_assert(offsetof(RobotDescriptor, stunRecoveryStep) == 44);
static_assert(offsetof(RobotDescriptor, normalSpeeds) == 48);
static_assert(offsetof(RobotDescriptor, dashSpeeds) == 2128);

static_assert(sizeof(MotionNode) == 60 && sizeof(MotionGraph) == 5040);
static_assert(offsetof(MotionNode, canAct) == 0);
static_assert(offsetof(MotionNode, pose) == 4);
static_assert(offsetof(MotionNode, canMove) == 8);
static_assert(offsetof(MotionNode, frameCount) == 12);
static_assert(offsetof(MotionNode, fires) == 16);
static_assert(offsetof(MotionNode, canTurn) == 17);
static_assert(offsetof(MotionNode, motionNumber) == 20);
static_assert(offsetof(MotionNode, stepNumber) == 24);
static_assert(offsetof(MotionNode, nextNode) == 28);
static_assert(offsetof(MotionNode, weaponNodes) == 32);
static_assert(offsetof(MotionNode, guardNode) == 48);
static_assert(offsetof(MotionNode, hitNode) == 52);
static_assert(offsetof(MotionNode, graphBase) == 56);

static_assert(sizeof(WeaponDescriptor) == 848);
static_assert(offsetof(WeaponDescriptor, launchOffsets) == 0);
static_assert(offsetof(WeaponDescriptor, launchOffsets[1][0]) == 80);
static_assert(offsetof(WeaponDescriptor, launchOffsets[0][1]) == 8);
static_assert(offsetof(WeaponDescriptor, reserved1) == 640);
static_assert(offsetof(WeaponDescriptor, ammunition) == 800);
static_assert(offsetof(WeaponDescriptor, gaugeCost) == 804);
static_assert(offsetof(WeaponDescriptor, hideOnHit) == 808);
static_assert(offsetof(WeaponDescriptor, singleHit) == 809);
static_assert(offsetof(WeaponDescriptor, volleys) == 812);
static_assert(offsetof(WeaponDescriptor, shotsPerVolley) == 816);
static_assert(offsetof(WeaponDescriptor, fireSound) == 820);
static_assert(offsetof(WeaponDescriptor, hitSound) == 824);
static_assert(offsetof(WeaponDescriptor, trailCircles) == 828);
static_assert(offsetof(WeaponDescriptor, trailRadii) == 832);
static_assert(offsetof(WeaponDescriptor, spareFlag) == 844);

static_assert(sizeof(ShotPhase) == 148);
static_assert(offsetof(ShotPhase, velocityX) == 0);
static_assert(offsetof(ShotPhase, velocityY) == 4);
static_assert(offsetof(ShotPhase, damage) == 8);
static_assert(offsetof(ShotPhase, stun) == 12);
static_assert(offsetof(ShotPhase, duration) == 16);
static_assert(offsetof(ShotPhase, hitKind) == 20);
static_assert(offsetof(ShotPhase, halfHeight) == 24);
static_assert(offsetof(ShotPhase, halfWidth) == 28);
static_assert(offsetof(ShotPhase, extentY) == 32);
static_assert(offsetof(ShotPhase, extentX) == 36);
static_assert(offsetof(ShotPhase, reserved1) == 40);
static_assert(offsetof(ShotPhase, spareWord) == 56);
static_assert(offsetof(ShotPhase, shotMode) == 60);
static_assert(offsetof(ShotPhase, guardBreak) == 64);
static_assert(offsetof(ShotPhase, knockBackMode) == 68);
static_assert(offsetof(ShotPhase, endOnOwnerHit) == 72);
static_assert(offsetof(ShotPhase, hitPhase) == 76);
static_assert(offsetof(ShotPhase, steerLinks) == 80);
static_assert(offsetof(ShotPhase, launchLinks) == 112);
static_assert(offsetof(ShotPhase, nextPhase) == 144);

static_assert(sizeof(ShotTrack) == 2368);
static_assert(sizeof(ShotTrack[kTracksPerPlane]) == 23680);
static_assert(sizeof(ShotTrackTable) == 189440);
static_assert(offsetof(ShotTrackTable, planes[1][0]) == 23680);
static_assert(offsetof(ShotTrackTable, planes[0][1]) == 2368);
