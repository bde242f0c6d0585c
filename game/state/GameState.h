// The whole state of the game: one fixed-size object, made zero-filled at
// start-up and never reallocated, so nothing is allocated during a fight and
// the links inside the robot records stay valid.
#pragma once

#include "RobotModule.h"
#include "WaveParser.h"

#include <cstdint>

struct TForm1;
namespace platform {
class CdAudio;
struct SoundBuffer;
}

// Where a WAVE resource keeps its format and its sound.
struct WaveChunkPlace {
    const std::uint8_t* format = nullptr;
    std::uint32_t formatBytes = 0;
    const std::uint8_t* data = nullptr;
    std::uint32_t dataLength = 0;
};

// ---------------------------------------------------------------------------
// Enumerations of the game's int fields
// ---------------------------------------------------------------------------
enum GameStageValue : std::int32_t {
    StageModeMenu = 1, StageMusicMenu = 2, StageDifficultyMenu = 3, StageClosingMessage = 4,
    StageSelect = 5, StageVersus = 6, StageIntro = 7, StageFight = 8, StageFightEnd = 9, StageResult = 10,
};
inline constexpr int kStageCount = StageResult;  // the stages are 1 to kStageCount
// Senses of a player's speed and acceleration arrays.
enum Sense : int { SenseLeft = 0, SenseRight = 1, SenseUp = 2, SenseDown = 3 };

enum GameModeValue : std::int32_t { ModeOnePlayer = 1, ModeTwoPlayers = 2, ModeSurvival = 3 };
enum DifficultyValue : std::int32_t { DifficultyEasy = 1, DifficultyNormal = 2, DifficultyHard = 3 };
enum MusicSourceValue : std::uint8_t { MusicMidi = 0, MusicCd = 1 };

enum ActionState : std::int32_t {
    ActionIdle = 0,  // 1-4: firing weapon 1-4
    ActionGuard = 5, ActionHit = 6,
};
enum ButtonCode : std::int32_t {
    ButtonNone = 0,   // 1-4: weapon 1-4
    ButtonGuard = 5, ButtonDash = 6,
    ButtonDashWeapon1 = 7,  // 7-10: dash with weapon 1-4
};

// ---------------------------------------------------------------------------
// One player's live state
// ---------------------------------------------------------------------------
struct PlayerRecord {
    std::int32_t actionState;        // an ActionState
    std::int32_t axisX;              // 0 none, 1 right, 2 left
    std::int32_t axisY;              // 0 none, 1 up, 2 down
    std::int32_t buttonCode;         // the ButtonCode held this frame
    const MotionNode* motionNode;    // current node of the player's motion graph
    std::int32_t heading;            // facing; picks the speed-table row
    std::int32_t directionCode;      // this frame's DirectionCode
    std::int32_t knockBackHeading;   // heading of the knock-back
    std::int32_t speed[4];           // toward left, right, up, down
    std::int32_t accel[4];           // acceleration step 0-3 toward left, right, up, down
    std::int32_t motionFrame;        // frames spent in the current node
    std::int32_t decelTick;          // frame counter of the speed decay
    std::int32_t stunFrames;         // length of the current stun
    std::int32_t volleyLatch;        // 1 after a volley's last part launched: no launch meanwhile
    std::int32_t ammo[4];            // ammunition of weapons 1-4
    std::int32_t hitPoints;
    std::int32_t gauge;              // boost gauge
    std::int32_t posX, posY;         // screen position
    std::int32_t holdFrames[4];      // frames each weapon button has been held
    std::int32_t guardRequest;       // 1 while guard is held
    std::int32_t dashRequest;        // 1 while a dash button is held
    const RobotDescriptor* robot;    // the player's robot definition
    SpeedTable moveTable;            // copy of the robot's normal speeds
    SpeedTable dashTable;            // copy of the robot's dash speeds
};

struct TrailPoint {
    std::int32_t x, y;
};

// One shot part; records are reused, and a free one keeps its last phase so
// the next launch follows that phase's launch links.
struct ShotRecord {
    std::int32_t x, y;
    std::int32_t heading;            // the owner's heading at launch, changed by steering
    std::uint8_t live;               // in flight; 0 = free
    std::uint8_t canHit;
    std::uint8_t visible;            // drawn while live
    std::int32_t phaseFrame;         // frames spent in the current phase
    const WeaponDescriptor* weapon;  // the weapon of the record's slot
    const ShotPhase* phase;          // current phase of its track
    TrailPoint trail[3];             // newest first
};

// The default weapon's tracks: 8 groups of 8 tracks, not a ShotTrackTable.
struct DummyTrackBlock {
    ShotTrack tracks[8][8];
};
static_assert(sizeof(DummyTrackBlock) == 64 * sizeof(ShotTrack));

// An opponent routine bound to the form it plays on.
struct ThinkRoutine {
    void (*code)(TForm1& form);
    TForm1* object;
};

// ---------------------------------------------------------------------------
// Shared tables
// ---------------------------------------------------------------------------
inline constexpr int kRobotCount = 11;
inline constexpr int kShotSlots = 8;   // player 1's weapons 1-4, then player 2's
inline constexpr int kShotRows = 10;   // volleys; rows 8 and 9 are never used
inline constexpr int kUsedShotRows = 8;
inline constexpr int kLadderSteps = 6;
inline constexpr int kScoreEntries = 5;  // runs kept in the score file

inline constexpr bool IsRobot(std::int32_t number) { return number >= 1 && number <= kRobotCount; }

// The weapon slot of player p's (0 or 1) weapon w (1-4), and back.
constexpr int SlotOf(int player, int weapon) { return player * 4 + weapon - 1; }
constexpr int PlayerOfSlot(int slot) { return slot / 4; }
constexpr int WeaponOfSlot(int slot) { return slot % 4 + 1; }

// The one-player ladder, robot numbers by route and step.
inline constexpr std::int32_t kCpuLadder[2][kLadderSteps] = {{6, 10, 3, 4, 9, 11}, {1, 5, 7, 8, 2, 11}};

// What each screen calls a robot.
struct RobotNames {
    const char* select;
    const char* versus;
    const char* fight;
    const char* result;
};
// Index robot number - 1. Every per-robot table is declared without a size and
// checked against kRobotCount where it is defined, so a robot added to one
// table and not the others fails the build.
extern const RobotNames kRobotNames[];
inline constexpr const char* kEmptyResultRobot = "----";

// What a finished stage handler asks of the frame: the transition into the
// next stage, which the frame runs as soon as the handler returns.
enum class StageExit { Stay, ToSelect, ToBefore, ToFight, ToStart };

// ---------------------------------------------------------------------------
// The form: every member in its order
// ---------------------------------------------------------------------------
struct Devices;
struct DrawReport;

// The game state: every record of the form, zero-filled when the form is made
// (every text handle is then the empty text).
struct FormState {
    PlayerRecord players[2];

    RobotDescriptor robotDescs[2];
    MotionGraph motionGraphs[2];
    WeaponDescriptor weapons[2][4];
    ShotTrackTable tracks[2][4];

    ShotRecord shotSlots[kShotSlots][kShotRows][kMaxParts];

    WeaponDescriptor DummyWeapon;
    DummyTrackBlock dummyTrack;

    std::int32_t GameMode;

    std::uint8_t p1FullHeal;            // the next versus screen heals player 1 fully
    std::int32_t survivalKills;         // opponents beaten in this survival run
    std::int32_t carriedHitPoints;      // player 1's hit points carried to the next survival fight

    std::int32_t ScoreTable[16];        // image of the score file
    std::int32_t scoreFileError;        // 1: the score file could be neither opened nor created
    std::uint8_t robot11Unlocked;       // a survival run has unlocked the robots that start locked

    std::int32_t GameStage;

    std::uint8_t p1MenuReady, p2MenuReady;  // a player's menu input is armed
    std::int32_t p1RepeatCount, p2RepeatCount;
    std::int32_t StageFrameCounter;

    std::int32_t p1RobotNumber, p2RobotNumber;
    std::int32_t p1Chosen, p2Chosen;

    std::int32_t FightWinner;           // 0 draw, 1 player 1, 2 player 2
    std::int32_t KnockOutState;         // 0 none, 1 or 2: whose hit points fell below 0

    std::uint32_t joyCentre;            // stick threshold of joystick 1
    std::uint32_t joy2Centre;           // of joystick 2

    std::int32_t cpuState;              // 0 deciding, 1 executing
    std::int32_t SlideCommand;          // dodge: 0 none, 1 and 2 the two senses
    std::int32_t cpuAdvance;
    std::int32_t cpuAction;             // 1-4 fire weapon n; 11-14 dash and fire weapon n-10
    std::int32_t cpuDuration;
    std::int32_t cpuFrame;
    ThinkRoutine ThinkTable[kRobotCount];  // index robot number - 1

    std::int32_t FrameDelay;            // ms slept after each frame, 0-100
    std::int32_t Difficulty;

    std::int32_t CdTrackCount;
    std::int32_t CdTrack;
    std::uint8_t MusicSource;           // a MusicSourceValue
    char CdDrive[4];                    // "B:" to "N:", empty when none

    std::int32_t CpuLadder[2][kLadderSteps];
    std::int32_t ladderStep;
    std::int32_t ladderRoute;

    struct GridPoint {
        std::int32_t x, y;
    } BackgroundGrid[6][5];

    std::uint32_t randomSeed;           // the one generator behind every random choice
};

// The form: the game state and every method of the game. The device objects
// live outside it, made by the program and handed in. The form is far too
// large for the stack.
struct TForm1 : FormState {
    explicit TForm1(Devices& devices) : FormState(), devices(devices) {}
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;
    ~TForm1();  // drops the form's references to the weapons' sound names

    Devices& devices;
    platform::CdAudio* MediaPlayer1 = nullptr;  // the CD player; null: no CD audio at all

    // The methods, by the layer and the file that define them.

    // ---- game/state: the state layer
    // GameState.cpp: random numbers, the default weapon
    void SeedRandom(std::uint32_t seed);   // the start-up gives the clock, in seconds
    std::int32_t Random();                 // 0-32767
    void MakeDammyData(WeaponDescriptor& weapon);
    void MakeDammyMove(ShotPhase& phase, const ShotPhase& linkTarget);
    void MakeDefaultWeapon();

    // ---- game/devices: the devices layer
    // Sound.cpp: sound effects and jingles; closing the form
    void CloseForm();     // runs the close handler; the step that closed the form ends its caller's steps
    // The same for a failure: the text (printf-style) says what failed, unless the form was already closing.
    void CloseFormOnError(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool Closing() const;
    void StartDS();
    void EndDirectSound();
    platform::WaveScanCode FindWaveChunks(const char* name, WaveChunkPlace& place);
    int CreateSoundData(const char* name, platform::SoundBuffer** slot);  // 1 made, 0 refused
    void PlayFromStart(platform::SoundBuffer* buffer, bool looping);
    void StopSound(platform::SoundBuffer* buffer);
    void HitSound1(const char* name);
    void HitSound2(const char* name);
    bool LoadJingle(const char* name);
    void PlayJingle();  // the loaded jingle, once from its start
    // Music.cpp: music
    void StartDirectMusic();
    void EndDirectMusic();
    void MakeSegment_Start();
    void MakeSegment_Select();
    void MakeSegment_Fight1();
    void MakeSegment_Fight2();
    void MakeSegment_Fight3();
    void PlayMusicSegment();
    void StopMusicNow();
    void EndSegment();
    // Cd.cpp: CD audio
    int CheckDrive();
    bool CheckDisc();
    void UpdateCDInfo();
    void CloseCd();
    void PrepareDisc();       // before a bout: find the disc, or fall back to MIDI
    void StartCdTrack();      // at the fight's start: the chosen track from its first frame
    void WatchDisc();         // each frame of the fight proper: a pulled disc ends the music
    bool CdTrackChanged();    // each fight frame: the chosen track ended; the player is stopped and closed
    void StopWaveFile();
    // ScoreFile.cpp: the survival score file
    void ReadScoreEntries();
    void RecordSurvivalRun();

    // ---- roster: the roster layer
    // Binding.cpp: the robot loaders, binding a robot's module for player 1 (In1) or 2 (In2)
    void VidiruIn1();
    void VidiruIn2();
    void DareDIn1();
    void DareDIn2();
    void ZErovIn1();
    void ZErovIn2();
    void DFIN1();
    void DFIN2();
    void Vidiru2In1();
    void Vidiru2In2();
    void DIvoIn1();
    void DIvoIn2();
    void DoviIn1();
    void DoviIn2();
    void VOVIn1();
    void VOVIn2();
    void TDodarIn1();
    void TDodarIn2();
    void ZozerIn1();
    void ZozerIn2();
    void RodiIn1();
    void RodiIn2();
    // Opponent.cpp: the computer opponent, the dodge and each robot's decision routine
    void Slide();
    const ShotRecord* NearestShot(std::int32_t x, std::int32_t y) const;
    const ShotRecord* NearestShotInOrder(std::int32_t x, std::int32_t y) const;
    void VidiruT_Think();
    void DareD_Think();
    void ZErov_Think();
    void DF_Think();
    void VidiruV_Think();
    void DIvo_Think();
    void Dovi_Think();
    void VOV_Think();
    void Dodar_Think();
    void Zozer_Think();
    void Rodi_Think();

    // ---- game/fight: the fight layer. A stage handler does not run a
    // transition: it returns the one it asks for, and the frame runs it.
    // fight/Input.cpp: player 1 from joystick 1 or the keyboard; player 2 likewise, or the computer
    void ControlHead();
    // fight/FightStage.cpp: one frame of a bout
    StageExit FightStage();
    // fight/Shots.cpp: shot launch
    void ShotWeapon();
    // fight/Background.cpp: the background grid and its scrolling (its drawer is in Background.h)
    void BackMove(std::int32_t dx, std::int32_t dy);  // moves the grid, then wraps it over the screen
    void BackUp();
    void BackDown();
    void BackRight();
    void BackLeft();

    // ---- game/screens: the screens layer (the drawers are in Screens.h)
    // screens/StartScreens.cpp: the start, selection and versus screens
    StageExit StartStage();
    StageExit SelectStage();
    StageExit BeforeStage();
    // screens/ResultScreen.cpp: the survival result screen
    StageExit ResultStage();

    // ---- game/core: the top layer
    // core/Form.cpp: start-up, frames and shut-down
    void FormShow();
    void FormClose();
    void AppIdle();
    int FinishRun();  // after the loop: a failure's reason to standard error; the exit status (0 or 1)
    void StartDX();
    void EndDX();
    // Each empty robot definition a drawer found shows the module message and
    // goes back to the start screen, until one of them closes the form.
    void AnswerDrawer(const DrawReport& report);
    // core/Transitions.cpp: stage transitions and the global keys
    void ToSelect();
    void ToBefore();
    void ToFight();
    void ToStart();
    void Follow(StageExit exit);  // runs the transition a stage handler asked for
    void HomeBackgroundGrid();
    void FormKeyDown(std::uint16_t key);

private:
    // devices/Music.cpp
    void MakeSegment(const char* fileName);
    // core/Form.cpp
    void MakePensAndBrushes();
    void DeletePensAndBrushes();
};

// The control fields into direction code, acceleration steps, hold counters, guard and dash.
void DecodeInput(PlayerRecord& player);

// Binds robot `robotNumber` (1-kRobotCount; any other number binds nothing) for
// player 0 or 1 and installs it: the body of every loader (game/roster/Binding.cpp).
void BindRobot(TForm1& form, int player, int robotNumber);

// A weapon's volley rows and parts per volley as the shot grid can hold them:
// a module that asks for more gets what was wired.
inline int VolleysOf(const WeaponDescriptor& weapon) {
    return weapon.volleys < 0 ? 0 : weapon.volleys > kUsedShotRows ? kUsedShotRows : weapon.volleys;
}
inline int PartsOf(const WeaponDescriptor& weapon) {
    return weapon.shotsPerVolley < 0 ? 0 : weapon.shotsPerVolley > kMaxParts ? kMaxParts : weapon.shotsPerVolley;
}

void ResetPlayerRecord(PlayerRecord& player);
void ResetShot(ShotRecord& shot);
