// Move of Brakon: VuruRovavu's body figures and its two speed tables.
#include "ModuleFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

// Step-1 bases per facing: right, left, up, up-right x/y, up-left x/y, down,
// down-left x/y, down-right x/y.
constexpr int kNormalBase[8][12] = {
    {5, 5, 5, 4, 4, 4, 4, 3, 4, 3, 4, 3}, {5, 4, 4, 5, 5, 4, 4, 3, 3, 3, 4, 4},
    {6, 4, 4, 5, 4, 4, 4, 4, 4, 4, 5, 4}, {5, 4, 3, 4, 4, 3, 3, 4, 4, 4, 5, 5},
    {5, 5, 3, 4, 3, 4, 3, 5, 4, 4, 4, 4}, {4, 5, 3, 3, 3, 4, 4, 4, 5, 5, 4, 4},
    {4, 6, 4, 4, 4, 5, 4, 4, 5, 4, 4, 4}, {4, 5, 4, 4, 4, 5, 5, 3, 4, 4, 3, 3}};
constexpr int kDashBase[8][12] = {
    {10, 10, 9, 9, 8, 9, 8, 7, 9, 7, 9, 7},   {10, 9, 8, 10, 9, 9, 8, 7, 8, 7, 9, 8},
    {11, 9, 8, 10, 8, 9, 8, 8, 9, 8, 10, 8},  {10, 9, 7, 9, 8, 8, 7, 8, 9, 8, 10, 9},
    {10, 10, 7, 9, 7, 9, 7, 9, 9, 8, 9, 8},   {9, 10, 7, 8, 7, 9, 8, 8, 10, 9, 9, 8},
    {9, 11, 8, 9, 8, 10, 8, 8, 10, 8, 9, 8},  {9, 10, 8, 9, 8, 10, 9, 7, 9, 8, 8, 7}};

// Base of one component of a group, 0 where the group's direction lacks it.
int BaseOf(const int (&row)[12], int group, int axis) {
    constexpr int kX[8] = {0, 1, -1, 3, 5, -1, 8, 10};   // column of the x base
    constexpr int kY[8] = {-1, -1, 2, 4, 6, 7, 9, 11};  // column of the y base
    const int column = axis == 0 ? kX[group] : kY[group];
    return column < 0 ? 0 : row[column];
}

struct Speed {
    int value;
    bool biased;
};

Speed Expected(bool dash, int row, int group, int step, int axis, int bias) {
    const int base = BaseOf(dash ? kDashBase[row] : kNormalBase[row], group, axis);
    if (step == 0 || base == 0) return {0, false};
    if (step == 3 && axis == 0) {
        if (!dash && ((row == 2 && group == 0) || (row == 6 && group == 1))) return {8, false};
        if (dash && row == 6 && group == 1) return {13, false};
        if (dash && row == 2 && group == 0) return {bias + 12, true};
    }
    return {bias + base + step - 1, true};
}

int Component(const SpeedTable& table, int row, int group, int step, int axis) {
    const SpeedPair& pair = table.rows[row].speeds[group][step];
    return axis == 0 ? pair.x : pair.y;
}

class BrakonMove : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(move_, nullptr) << "Brakon or its Move export is missing"; }
    std::unique_ptr<RobotDescriptor> Moved(std::int32_t bias, unsigned char fill = 0) {
        auto robot = FilledRecord<RobotDescriptor>(fill);
        move_(robot.get(), bias);
        return robot;
    }
    LoadedModule module_{BrakonPath()};
    MoveExport* move_ = module_.Export<MoveExport>("Move");
};

TEST_F(BrakonMove, HeaderHoldsBodyFiguresAndDecelPeriod) {
    const auto robot = Moved(-2);
    const int header[] = {robot->maxHitPoints, robot->gaugeMax, robot->drawHalfHeight, robot->drawHalfWidth,
                          robot->hitHalfHeight, robot->hitHalfWidth, robot->spareParam, robot->stunRecoveryStep};
    EXPECT_EQ(std::vector<int>(std::begin(header), std::end(header)), (std::vector<int>{700, 520, 40, 40, 30, 30, 17, 6}));
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(robot->normalSpeeds.rows[row].decelPeriod, 4) << "row " << row;
        EXPECT_EQ(robot->dashSpeeds.rows[row].decelPeriod, 4) << "row " << row;
    }
}

TEST_F(BrakonMove, GameBiasGivesStatedEdgeSpeeds) {
    const auto robot = Moved(-2);
    auto xs = [](const SpeedTable& table, int row, int group) {
        std::vector<int> out;
        for (const SpeedPair& pair : table.rows[row].speeds[group]) out.push_back(pair.x);
        return out;
    };
    EXPECT_EQ(xs(robot->normalSpeeds, 0, 0), (std::vector<int>{0, 3, 4, 5}));
    EXPECT_EQ(xs(robot->normalSpeeds, 2, 0), (std::vector<int>{0, 4, 5, 8}));
    EXPECT_EQ(xs(robot->dashSpeeds, 2, 0), (std::vector<int>{0, 9, 10, 10}));
    EXPECT_EQ(xs(robot->dashSpeeds, 6, 1), (std::vector<int>{0, 9, 10, 13}));
}

TEST_F(BrakonMove, ZeroBiasSpeedsFollowStepOneBases) {
    const auto robot = Moved(0, 0xA5);
    for (bool dash : {false, true})
        for (int row = 0; row < 8; ++row)
            for (int group = 0; group < kSpeedGroups; ++group)
                for (int step = 0; step < kAccelSteps; ++step)
                    for (int axis = 0; axis < 2; ++axis)
                        EXPECT_EQ(Component(dash ? robot->dashSpeeds : robot->normalSpeeds, row, group, step, axis),
                                  Expected(dash, row, group, step, axis, 0).value)
                            << (dash ? "dash" : "normal") << " row " << row << " group " << group << " step " << step
                            << " axis " << axis;
}

TEST_F(BrakonMove, BiasShiftsOnlyBiasedWords) {
    constexpr int b1 = -2, b2 = 37;
    const auto first = Moved(b1), second = Moved(b2);
    for (bool dash : {false, true})
        for (int row = 0; row < 8; ++row)
            for (int group = 0; group < kSpeedGroups; ++group)
                for (int step = 0; step < kAccelSteps; ++step)
                    for (int axis = 0; axis < 2; ++axis) {
                        auto table = [&](const RobotDescriptor& r) -> const SpeedTable& { return dash ? r.dashSpeeds : r.normalSpeeds; };
                        const int shift = Component(table(*second), row, group, step, axis) - Component(table(*first), row, group, step, axis);
                        EXPECT_EQ(shift, Expected(dash, row, group, step, axis, 0).biased ? b2 - b1 : 0)
                            << (dash ? "dash" : "normal") << " row " << row << " group " << group << " step " << step
                            << " axis " << axis;
                    }
    // Nothing outside the speed words moves with the bias.
    EXPECT_EQ(std::memcmp(first.get(), second.get(), offsetof(RobotDescriptor, normalSpeeds)), 0);
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(first->normalSpeeds.rows[row].decelPeriod, second->normalSpeeds.rows[row].decelPeriod);
        EXPECT_EQ(first->dashSpeeds.rows[row].decelPeriod, second->dashSpeeds.rows[row].decelPeriod);
    }
}

TEST_F(BrakonMove, WritesHeaderAllSpeedWordsAndLowRowDecelOnly) {
    const auto written = WrittenBytes<RobotDescriptor>([&](RobotDescriptor& robot) { move_(&robot, -2); });
    RobotDescriptor layout{};
    std::vector<bool> expected(sizeof(RobotDescriptor));
    MarkField(expected, layout, layout.maxHitPoints);
    MarkField(expected, layout, layout.gaugeMax);
    for (auto* field : {&layout.drawHalfHeight, &layout.drawHalfWidth, &layout.hitHalfHeight, &layout.hitHalfWidth,
                        &layout.spareParam, &layout.stunRecoveryStep})
        MarkField(expected, layout, *field);
    for (SpeedTable* table : {&layout.normalSpeeds, &layout.dashSpeeds})
        for (int row = 0; row < 8; ++row) {
            MarkField(expected, layout, table->rows[row].speeds);
            if (row < 4) MarkField(expected, layout, table->rows[row].decelPeriod);
        }
    EXPECT_EQ(FirstMismatch(written, expected), -1);

    const auto robot = Moved(-2, 0xA5);
    constexpr std::int32_t kSentinel = static_cast<std::int32_t>(0xA5A5A5A5u);
    for (std::int32_t word : robot->reserved) EXPECT_EQ(word, kSentinel);
    for (int row = 4; row < 8; ++row) {
        EXPECT_EQ(robot->normalSpeeds.rows[row].decelPeriod, kSentinel) << "row " << row;
        EXPECT_EQ(robot->dashSpeeds.rows[row].decelPeriod, kSentinel) << "row " << row;
    }
}

}  // namespace
