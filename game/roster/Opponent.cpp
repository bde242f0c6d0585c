#include "Opponent.h"

#include "Direction.h"
#include "Wide.h"

#include <climits>
#include <cmath>
#include <iterator>

namespace {

constexpr std::int32_t kNearLimit = 250;
constexpr std::int32_t kFarLimit = 500;
constexpr int kHeadings = 8;

template <class... H>
constexpr std::uint8_t Bits(H... headings) {
    return static_cast<std::uint8_t>(((1u << headings) | ...));
}

// For the robot's heading h, the heading t from the robot toward the shot and
// the shot's own heading s: the shot headings that call for a sidestep to the
// clockwise side (toSide1) and to the other (toSide2).
struct SlideCell {
    std::uint8_t toSide1, toSide2;
};
constexpr SlideCell kSlideTable[6][kHeadings] = {
    {{Bits(5), Bits(3, 4)}, {Bits(5), 0}, {0, Bits(5, 6, 7)}, {Bits(7), 0}, {Bits(7), Bits(0, 1)}, {0, Bits(1)},
     {Bits(1, 2, 3), 0}, {0, Bits(3)}},  // h 0 and 4
    {{Bits(4), 0}, {Bits(5), 0}, {0, Bits(5, 6, 7)}, {Bits(7), 0}, {0, Bits(0)}, {0, Bits(1)}, {Bits(1, 2, 3), 0},
     {0, Bits(3)}},  // h 2 and 6
    {{Bits(4), Bits(5)}, {Bits(5), 0}, {Bits(5, 6), Bits(7)}, {0, Bits(0, 1, 7)}, {Bits(0), Bits(1)},
     {Bits(0, 1, 7), 0}, {Bits(1), Bits(2, 3)}, {Bits(3), 0}},  // h 1
    {{Bits(3), Bits(4, 5)}, {Bits(4, 5), 0}, {Bits(5, 6, 7), 0}, {Bits(0, 1, 7), 0}, {0, Bits(0, 7)},
     {0, Bits(0, 1, 7)}, {0, Bits(1, 2, 3)}, {Bits(3), Bits(4)}},  // h 3
    {{Bits(4), Bits(5)}, {Bits(4, 5), 0}, {Bits(6), 0}, {Bits(0, 1), 0}, {Bits(1), Bits(0)}, {0, Bits(0, 1)},
     {0, Bits(2)}, {0, Bits(3, 4)}},  // h 5
    {{Bits(4, 5), 0}, {0, Bits(4, 5)}, {Bits(6), 0}, {Bits(1), Bits(0)}, {Bits(0), 0}, {Bits(0), Bits(1)},
     {0, Bits(2)}, {Bits(3), 0}},  // h 7
};
// Headings 0 and 4 share a row of the table, and so do 2 and 6.
constexpr int kSlideRowOfHeading[kHeadings] = {0, 2, 1, 3, 0, 4, 1, 5};

// The whole pixels of std::hypot. Below 2^50 the squared distance is exact
// in a double and its root lies far enough from any whole number for the
// correctly rounded square root to fall on the same side: the same floor at
// a fraction of the cost.
std::int32_t Distance(std::int64_t dx, std::int64_t dy) {
    constexpr std::int64_t kAxis = std::int64_t{1} << 24;  // both axes below: the square below 2^50
    if (dx < kAxis && -dx < kAxis && dy < kAxis && -dy < kAxis)
        return static_cast<std::int32_t>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
    return ClampToInt(static_cast<std::int64_t>(std::hypot(double(dx), double(dy))));
}

bool Playable(std::int32_t action, std::int32_t duration) {
    return duration >= 1 && ((action >= 1 && action <= 4) || (action >= 11 && action <= 14));
}

struct Step {
    int x, y;
};
constexpr Step kHeadingSteps[kHeadings] = {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};

void Decide(TForm1& form, const CpuProfile& profile) {
    form.Slide();
    const PlayerRecord& p1 = form.players[0];
    const PlayerRecord& p2 = form.players[1];
    const std::int32_t distance = Distance(std::int64_t{p1.posX} - p2.posX, std::int64_t{p1.posY} - p2.posY);
    const int draw = profile.drawCount > 0 ? form.Random() % profile.drawCount : 0;
    const int difficulty = form.Difficulty >= 1 && form.Difficulty <= kDifficulties ? form.Difficulty - 1 : 0;
    const auto& row = profile.choices[BandOf(distance)][difficulty];
    CpuChoice choice = row[draw];
    if (choice.action == 0) {
        // A draw without an entry of its own runs the last choice again; with
        // none yet (or none that could run) it takes the row's first.
        if (Playable(form.cpuAction, form.cpuDuration))
            choice = {form.cpuAdvance, form.cpuAction, form.cpuDuration};
        else
            choice = row[0];
    }
    form.cpuAdvance = choice.advance;
    form.cpuAction = choice.action;
    form.cpuDuration = choice.duration;
    form.cpuState = 1;
}

void Execute(TForm1& form, const CpuProfile& profile) {
    if (profile.slideWhileExecuting) form.Slide();
    PlayerRecord& p2 = form.players[1];

    const int h = ((p2.heading % kHeadings) + kHeadings) % kHeadings;
    Step v{0, 0};
    const auto add = [&](int heading) {
        v.x += kHeadingSteps[heading % kHeadings].x;
        v.y += kHeadingSteps[heading % kHeadings].y;
    };
    if (form.cpuAdvance == 1) add(h);
    if (form.cpuAdvance == 2) add(h + 4);
    if (form.SlideCommand == 1) add(h + 2);
    if (form.SlideCommand == 2) add(h + 6);
    p2.axisX = v.x > 0 ? 1 : v.x < 0 ? 2 : 0;
    p2.axisY = v.y < 0 ? 1 : v.y > 0 ? 2 : 0;

    const std::int32_t action = form.cpuAction;
    const int weapon = action >= 11 ? action - 10 : action;
    const std::int32_t period = weapon >= 1 && weapon <= 4 ? profile.pulsePeriods[weapon - 1] : 1;
    p2.buttonCode = ButtonNone;
    if (period >= 1 && form.cpuFrame % period == 0 && weapon >= 1 && weapon <= 4)
        p2.buttonCode = action >= 11 ? ButtonDashWeapon1 + weapon - 1 : weapon;

    if (++form.cpuFrame == form.cpuDuration) {
        form.cpuFrame = 0;
        form.cpuState = 0;
    }
}

}  // namespace

DistanceBand BandOf(std::int32_t distance) {
    return distance < kNearLimit ? BandNear : distance < kFarLimit ? BandMiddle : BandFar;
}

// Of equally near shots of player 1 the one latest in the order row, part,
// slot is taken, so the records are scanned in that order and a tie replaces.
// A record as far as the best whole-pixel distance plus one needs no square
// root: a look at each axis, then at the squared distance, rules it out. The
// first record when none is live.
const ShotRecord* TForm1::NearestShotInOrder(std::int32_t x, std::int32_t y) const {
    const ShotRecord* nearest = &shotSlots[0][0][0];
    bool found = false;
    std::int32_t best = 0;
    std::int64_t reach = 0;
    for (int row = 0; row < kUsedShotRows; ++row)
        for (int part = 0; part < kMaxParts; ++part)
            for (int slot = 0; slot < 4; ++slot) {
                const ShotRecord& shot = shotSlots[slot][row][part];
                if (shot.live != 1) continue;
                const std::int64_t dx = std::int64_t{shot.x} - x, dy = std::int64_t{shot.y} - y;
                if (found && (dx >= reach || -dx >= reach || dy >= reach || -dy >= reach || dx * dx + dy * dy >= reach * reach))
                    continue;
                const std::int32_t distance = Distance(dx, dy);
                if (found && distance > best) continue;
                nearest = &shot;
                found = true;
                best = distance;
                reach = std::int64_t{best} + 1;
            }
    return nearest;
}

// The same in the order the records lie in memory, a tie going to the later
// in the order above. It starts from the farthest distance there is, so it
// has the answer whenever some live shot is nearer than that; else nothing,
// and the scan in order decides as it always has.
const ShotRecord* TForm1::NearestShot(std::int32_t x, std::int32_t y) const {
    const ShotRecord* nearest = nullptr;
    int nearestOrder = -1;
    std::int32_t best = INT32_MAX;
    std::int64_t reach = std::int64_t{INT32_MAX} + 1;
    for (int slot = 0; slot < 4; ++slot)
        for (int row = 0; row < kUsedShotRows; ++row)
            for (int part = 0; part < kMaxParts; ++part) {
                const ShotRecord& shot = shotSlots[slot][row][part];
                if (shot.live != 1) continue;
                const std::int64_t dx = std::int64_t{shot.x} - x, dy = std::int64_t{shot.y} - y;
                if (dx >= reach || -dx >= reach || dy >= reach || -dy >= reach || dx * dx + dy * dy >= reach * reach)
                    continue;
                const std::int32_t distance = Distance(dx, dy);
                const int order = (row * kMaxParts + part) * 4 + slot;
                if (distance > best || (distance == best && order < nearestOrder)) continue;
                nearest = &shot;
                nearestOrder = order;
                best = distance;
                reach = std::int64_t{best} + 1;
            }
    return best < INT32_MAX ? nearest : nullptr;
}

// The nearest live shot of player 1 and where it flies decide the sidestep.
void TForm1::Slide() {
    const PlayerRecord& robot = players[1];
    const ShotRecord* nearest = NearestShot(robot.posX, robot.posY);
    if (!nearest) nearest = NearestShotInOrder(robot.posX, robot.posY);

    const int h = robot.heading, s = nearest->heading;
    if (h < 0 || h >= kHeadings || s < 0 || s >= kHeadings) {
        SlideCommand = 0;
        return;
    }
    const int t = (DirectionBetween(nearest->x, nearest->y, robot) + 4) % kHeadings;
    const SlideCell& cell = kSlideTable[kSlideRowOfHeading[h]][t];
    SlideCommand = (cell.toSide1 >> s) & 1 ? 1 : (cell.toSide2 >> s) & 1 ? 2 : 0;
}

void RunOpponent(TForm1& form, const CpuProfile& profile) {
    if (form.cpuState == 0)
        Decide(form, profile);
    else
        Execute(form, profile);
}

void TForm1::VidiruT_Think() { RunOpponent(*this, kCpuProfiles[0]); }
void TForm1::DareD_Think() { RunOpponent(*this, kCpuProfiles[1]); }
void TForm1::ZErov_Think() { RunOpponent(*this, kCpuProfiles[2]); }
void TForm1::DF_Think() { RunOpponent(*this, kCpuProfiles[3]); }
void TForm1::VidiruV_Think() { RunOpponent(*this, kCpuProfiles[4]); }
void TForm1::DIvo_Think() { RunOpponent(*this, kCpuProfiles[5]); }
void TForm1::Dovi_Think() { RunOpponent(*this, kCpuProfiles[6]); }
void TForm1::VOV_Think() { RunOpponent(*this, kCpuProfiles[7]); }
void TForm1::Dodar_Think() { RunOpponent(*this, kCpuProfiles[8]); }
void TForm1::Zozer_Think() { RunOpponent(*this, kCpuProfiles[9]); }
void TForm1::Rodi_Think() { RunOpponent(*this, kCpuProfiles[10]); }

void (*const kThinkRoutines[])(TForm1& form) = {
    [](TForm1& f) { f.VidiruT_Think(); }, [](TForm1& f) { f.DareD_Think(); }, [](TForm1& f) { f.ZErov_Think(); },
    [](TForm1& f) { f.DF_Think(); },      [](TForm1& f) { f.VidiruV_Think(); }, [](TForm1& f) { f.DIvo_Think(); },
    [](TForm1& f) { f.Dovi_Think(); },    [](TForm1& f) { f.VOV_Think(); },     [](TForm1& f) { f.Dodar_Think(); },
    [](TForm1& f) { f.Zozer_Think(); },   [](TForm1& f) { f.Rodi_Think(); },
};
static_assert(std::size(kThinkRoutines) == kRobotCount,
              "a think routine for every robot: add a call of the new robot's TForm1 routine");
