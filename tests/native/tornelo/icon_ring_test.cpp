#include "motion/icon_ring.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine_fixture.h"

namespace {

class IconRingTest : public EngineTest {
protected:
    void UseSpiral(int r0, int r1, double turns, double k, int icons) {
        runningSettings.innerRadius = r0;
        runningSettings.outerRadius = r1;
        runningSettings.turns = turns;
        runningSettings.spacingRatio = k;
        view.count = icons;
        RefreshIconCount();
    }
    // The spiral by the fraction q of its length, written the textbook way.
    static SlotPolar AtFraction(double q) {
        const double r0 = runningSettings.innerRadius, r1 = runningSettings.outerRadius, t = runningSettings.turns;
        const double theta = kTwoPi * t * (r0 + r1) * q / (r0 + std::sqrt(r0 * r0 + (r1 * r1 - r0 * r0) * q));
        return {theta, r0 + (r1 - r0) * theta / (kTwoPi * t)};
    }
};

TEST_F(IconRingTest, BothVariantsFollowTheirFractionOfTheLength) {
    for (double k : {0.25, 1.0, 3.0}) {
        UseSpiral(30, 300, -2.5, k, 9);
        const double n = 9;
        for (int i = 0; i <= 9; ++i) {
            const double qInitial = i * (2 * n + i * (k - 1)) / ((k + 1) * n * n);
            const double qRelayout = i * (2 * n + (i + 1) * (k - 1)) / (n * (2 * n + (n + 1) * (k - 1)));
            EXPECT_NEAR(InitialSpiralSlot(i).angle, AtFraction(qInitial).angle, 1e-9) << i << " k " << k;
            EXPECT_NEAR(InitialSpiralSlot(i).radius, AtFraction(qInitial).radius, 1e-9) << i << " k " << k;
            EXPECT_NEAR(SpiralSlot(i).angle, AtFraction(qRelayout).angle, 1e-9) << i << " k " << k;
            EXPECT_NEAR(SpiralSlot(i).radius, AtFraction(qRelayout).radius, 1e-9) << i << " k " << k;
        }
        EXPECT_NEAR(SpiralSlot(9).radius, 300.0, 1e-9);  // one step past the last slot: the outer end
    }
}

TEST_F(IconRingTest, EvenSpacingGivesTheSameSlotsInBothVariants) {
    UseSpiral(20, 320, 3.0, 1.0, 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_NEAR(InitialSpiralSlot(i).angle, SpiralSlot(i).angle, 1e-9);
        EXPECT_NEAR(InitialSpiralSlot(i).radius, SpiralSlot(i).radius, 1e-9);
    }
}

TEST_F(IconRingTest, EqualRadiiMakeACircleAndNegativeTurnsMirror) {
    UseSpiral(100, 100, 1.5, 1.0, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(SpiralSlot(i).angle, kTwoPi * 1.5 * i / 4, 1e-9);
        EXPECT_NEAR(SpiralSlot(i).radius, 100.0, 1e-9);
    }
    UseSpiral(20, 320, 3.0, 2.0, 5);
    const SlotPolar positive = SpiralSlot(3), positiveInitial = InitialSpiralSlot(3);
    // By hand: q = 42/80 (re-layout) and 39/75 (initial); then R = sqrt(20^2 + (320^2 - 20^2) q)
    // and angle = 6.2831853 x 3 x (R - 20) / 300, checked with python3.
    EXPECT_NEAR(positive.radius, 232.2713930, 1e-6);  // sqrt(53950)
    EXPECT_NEAR(positive.angle, 13.3374050, 1e-6);
    EXPECT_NEAR(positiveInitial.radius, 231.1709324, 1e-6);  // sqrt(53440)
    EXPECT_NEAR(positiveInitial.angle, 13.2682610, 1e-6);
    runningSettings.turns = -3.0;
    EXPECT_NEAR(SpiralSlot(3).angle, -positive.angle, 1e-12);
    EXPECT_NEAR(SpiralSlot(3).radius, positive.radius, 1e-12);
    EXPECT_NEAR(InitialSpiralSlot(3).angle, -positiveInitial.angle, 1e-12);
}

TEST_F(IconRingTest, DegenerateSpiralsStayFinite) {
    UseSpiral(0, 0, 1.0, 1.0, 5);
    EXPECT_EQ(SpiralSlot(2).angle, 0.0);
    EXPECT_EQ(SpiralSlot(2).radius, 0.0);
    EXPECT_EQ(InitialSpiralSlot(0).radius, 0.0);
    runningSettings.maxIcons = 800;
    UseSpiral(1, 30000, 20.0, 1000.0, 800);  // 2i(r1^2 - r0^2) is far beyond int here
    EXPECT_TRUE(std::isfinite(InitialSpiralSlot(799).angle));
    EXPECT_NEAR(SpiralSlot(800).radius, 30000.0, 1e-6);
}

TEST_F(IconRingTest, InitialLayoutPlacesItemsByIndex) {
    view.count = 1;
    InitialLayout();
    EXPECT_EQ(view.moves, (std::vector<Move>{{0, 532, 370}}));

    ResetIconRing();
    view.moves.clear();
    screenWidth = 1023;
    screenHeight = 741;
    runningSettings.blackHoleIcon = 3;  // the initial layout ignores it
    view.count = 3;
    InitialLayout();
    EXPECT_EQ(view.Items(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(view.moves[0], (Move{0, 531, 370}));
    EXPECT_EQ(iconRing.previousIconCount, 3);
}

TEST_F(IconRingTest, EmptyDesktopOnlyAsksForTheCount) {
    InitialLayout();
    EXPECT_EQ(view.countQueries, 1);
    EXPECT_TRUE(view.moves.empty());
}

TEST_F(IconRingTest, IconCountIsCappedByMaxIcons) {
    runningSettings.maxIcons = 4;
    view.count = 9;
    RefreshIconCount();
    EXPECT_EQ(iconRing.iconCount, 4);
    runningSettings.maxIcons = 5000;  // settings that skipped the bounds cannot overrun the ring
    RefreshIconCount();
    EXPECT_EQ(iconRing.iconCount, 9);
    view.count = 100000;
    RefreshIconCount();
    EXPECT_EQ(iconRing.iconCount, 800);  // the most icons ever taken, within RING_CAPACITY
}

TEST_F(IconRingTest, BlackHoleIconSitsInSlotZero) {
    const struct { int h; std::vector<int> items; } cases[] = {
        {1, {0, 1, 2, 3, 4}}, {3, {2, 0, 1, 3, 4}}, {5, {4, 0, 1, 2, 3}}, {7, {6, 0, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        runningSettings.blackHoleIcon = c.h;
        std::vector<int> items;
        for (int slot = 0; slot < 5; ++slot) items.push_back(SlotToItem(slot));
        EXPECT_EQ(items, c.items) << "h " << c.h;
    }
}

TEST_F(IconRingTest, PositionsArePackedAsTwoLow16BitHalves) {
    EXPECT_EQ(PackPosition(532, 370), 0x01720214u);
    EXPECT_EQ(PackPosition(-1, -2), 0xFFFEFFFFu);
    EXPECT_EQ(PackPosition(70000, 5), 0x00051170u);
}

TEST_F(IconRingTest, SlotPositionAddsTheRingAngleAndTruncates) {
    iconRing.slotAngle[2] = 0.5;
    iconRing.slotRadius[2] = 100.0;
    iconRing.ringAngle = 1.0;
    const ScreenPoint p = SlotPosition(2);
    EXPECT_EQ(p.x, 519);  // 519.07
    EXPECT_EQ(p.y, 469);  // 469.75
    iconRing.ringAngle = 0.0;
    iconRing.slotAngle[2] = 3.14159265;
    iconRing.slotRadius[2] = 600.5;
    EXPECT_EQ(SlotPosition(2).x, -88);  // -88.5 truncates toward zero
    EXPECT_EQ(SlotPosition(2).y, 370);
}

}  // namespace
