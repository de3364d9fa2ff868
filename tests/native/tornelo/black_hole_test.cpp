#include <gtest/gtest.h>

#include <climits>

#include <cmath>

#include "engine_fixture.h"
#include "motion/motion.h"
#include "temp_dir.h"

namespace {

class BlackHoleTest : public EngineTest {
protected:
    TempWorkingDir dir;  // a finished run reloads the settings file
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_TRUE(dir.ok());
        appMode.mode = Mode::BlackHole;
    }
    // Slots slide a whole spiral per second: a run takes a few ticks.
    void FastRun(int icons) {
        runningSettings.turns = 1.0;
        runningSettings.revolutionTime = 1;
        view.count = icons;
        InitialLayout();
        view.moves.clear();
    }
    // Ticks until the stage differs from the current one; -1 if it never does.
    int TicksUntilStageChanges(int limit) {
        const BlackHoleStage start = blackHole.blackHoleStage;
        for (int tick = 1; tick <= limit; ++tick) {
            MotionTick();
            if (blackHole.blackHoleStage != start) return tick;
        }
        return -1;
    }
    static Move Parked(int item) { return {item, 1024 + 50, 1}; }
};

TEST_F(BlackHoleTest, DefaultRunTremblesOnTwentyFiveTicksAndBurstsOnThirtyFour) {
    runningSettings.blackHoleIcon = 2;
    view.count = 20;
    InitialLayout();
    const int swallowTicks = TicksUntilStageChanges(5000);
    EXPECT_NEAR(swallowTicks * 0.2, 513.0, 0.5);  // the outermost of 20 goes at 19/20 of 540 s
    EXPECT_EQ(blackHole.blackHoleStage, BlackHoleStage::Trembling);
    // Each stage is drawn on the tick that starts it and on the ticks counted here but the last.
    EXPECT_EQ(TicksUntilStageChanges(100), 25);
    EXPECT_EQ(blackHole.blackHoleStage, BlackHoleStage::Bursting);
    EXPECT_EQ(TicksUntilStageChanges(100), 33);
    EXPECT_EQ(blackHole.blackHoleStage, BlackHoleStage::Swallowing);
    EXPECT_EQ(appMode.mode, Mode::Normal);
}

TEST_F(BlackHoleTest, RotationRunsAgainstTheWinding) {
    const struct { double turns; int before; int after; } cases[] = {
        {3.0, 180, -180}, {3.0, -180, -180}, {-2.0, 180, 180}, {-2.0, -180, 180}, {1.0, INT_MIN, -INT_MAX},
    };
    for (const auto& c : cases) {
        runningSettings.turns = c.turns;
        runningSettings.revolutionTime = c.before;
        BlackHoleStep();
        EXPECT_EQ(runningSettings.revolutionTime, c.after) << c.turns << " " << c.before;
    }
    EXPECT_EQ(appMode.layoutDirty, 1);
}

TEST_F(BlackHoleTest, TwoIconsSwallowTrembleAndBurstWithoutQuivering) {
    for (double turns : {1.0, -1.0}) {  // negative turns slide inward all the same
        Restart();
        FastRun(2);
        runningSettings.turns = turns;
        EXPECT_EQ(TicksUntilStageChanges(10), 3);  // 1 - 2e < 0 first at e = 0.6
        EXPECT_EQ(random.draws, 2);                // only the trembling hole draws, x first
        // By hand, with python3 for the figures: slot 0 stays at angle 0, radius 20, and
        // the ring turned 3 x 6.2831853 x 0.2 = 3.7699112 against the winding, so the hole
        // is at 512 + 20 cos(3.7699112) = 495.82 and 370 -/+ 20 sin(3.7699112) = 381.76 or 358.24.
        const ScreenPoint hole = {495, turns > 0 ? 381 : 358};
        EXPECT_EQ(blackHole.holeX, hole.x);
        EXPECT_EQ(blackHole.holeY, hole.y);
        EXPECT_EQ(view.moves.back(), (Move{0, hole.x - 20, hole.y - 10}));
        EXPECT_EQ(view.moves[view.moves.size() - 2], Parked(1));
        EXPECT_EQ(TicksUntilStageChanges(100), 25);
        EXPECT_EQ(TicksUntilStageChanges(100), 33);
    }
}

TEST_F(BlackHoleTest, OneIconOrNoneNeverChangesStage) {
    FastRun(1);
    EXPECT_EQ(TicksUntilStageChanges(200), -1);
    EXPECT_EQ(random.draws, 0);
    view.count = 0;
    EXPECT_EQ(TicksUntilStageChanges(50), -1);
}

TEST_F(BlackHoleTest, TwentyIconsAreParkedOneAfterAnother) {
    FastRun(20);
    int parkedBefore = 0;
    for (int tick = 0; tick < 10 && blackHole.blackHoleStage == BlackHoleStage::Swallowing; ++tick) {
        view.moves.clear();
        MotionTick();
        int parked = 0;
        for (const Move& m : view.moves) parked += m == Parked(m.item);
        EXPECT_GE(parked, parkedBefore);
        parkedBefore = parked;
    }
    EXPECT_EQ(blackHole.blackHoleStage, BlackHoleStage::Trembling);
    EXPECT_EQ(parkedBefore, 19);
}

struct QuiverCase {
    int icons;
    std::vector<int> swallowed;
    int randomValue;
    int dx, dy;
};

TEST_F(BlackHoleTest, HoleQuiversAsTheLastIconsApproach) {
    const QuiverCase cases[] = {
        {3, {1}, 0, -7, -4}, {3, {1}, 32767, 7, 4}, {4, {1}, 0, -3, -2}, {4, {1}, 32767, 3, 2},
        {4, {1, 2}, 16384, 0, 0}, {4, {}, 32767, 0, 0}, {2, {}, 32767, 0, 0}, {5, {2}, 32767, 3, 2},
    };
    for (const QuiverCase& c : cases) {
        Restart();
        iconRing.iconCount = c.icons;
        for (int slot = 0; slot < c.icons; ++slot) iconRing.slotRadius[slot] = 50.0;
        for (int slot : c.swallowed) iconRing.slotRadius[slot] = -1.0;
        random.values = {c.randomValue};
        BlackHolePosition(0);
        const ScreenPoint still = SlotPosition(0);
        EXPECT_EQ(view.moves.back(), (Move{0, still.x + c.dx, still.y + c.dy})) << c.icons << " " << c.randomValue;
    }
}

TEST_F(BlackHoleTest, TrembleStaysWithinTwentyByTen) {
    blackHole = {BlackHoleStage::Trembling, 1.0, 300, 200};
    iconRing.slotRadius[0] = 10.0;
    const struct { int rx, ry, x, y; } cases[] = {
        {0, 32767, 280, 210}, {32767, 0, 320, 190}, {16384, 16384, 300, 200}, {1000, 30000, 281, 208},
    };
    for (const auto& c : cases) {
        random.values = {c.rx, c.ry};
        BlackHolePosition(0);
        EXPECT_EQ(view.moves.back(), (Move{0, c.x, c.y}));
    }
}

TEST_F(BlackHoleTest, BurstFliesFromTheHoleToTheSpiralPlace) {
    blackHole = {BlackHoleStage::Bursting, 0.0, 0, 0};
    iconRing.slotAngle[1] = 0.0;
    iconRing.slotRadius[1] = 388.0;  // its spiral place is (900, 370)
    const struct { double elapsed; int x; int y; } cases[] = {
        {0.0, 100, 41}, {1.0, 600, 246}, {6.5536, 900, 370},
    };
    for (const auto& c : cases) {
        blackHole.blackHoleElapsed = c.elapsed;
        BlackHolePosition(1);
        EXPECT_NEAR(view.moves.back().x, c.x, 1) << c.elapsed;
        EXPECT_NEAR(view.moves.back().y, c.y, 1) << c.elapsed;
    }
}

TEST_F(BlackHoleTest, ParkedIconsStayOutOfSightInEveryMode) {
    iconRing.slotRadius[0] = -1.0;
    view.count = 1;
    iconRing.iconCount = iconRing.previousIconCount = 1;
    for (Mode mode : {Mode::Normal, Mode::MayimMayim, Mode::BlackHole}) {
        appMode.mode = mode;
        view.moves.clear();
        BlackHolePosition(0);
        if (mode != Mode::BlackHole) {
            MotionTick();  // no re-layout asked: the slot keeps its mark
            EXPECT_EQ(view.moves.back(), Parked(0));
        }
        EXPECT_EQ(view.moves.front(), Parked(0));
    }
    // Beyond every monitor when the virtual screen reaches further right.
    virtualScreenRight = 3000;
    view.moves.clear();
    BlackHolePosition(0);
    EXPECT_EQ(view.moves.front(), (Move{0, 3050, 1}));
}

TEST_F(BlackHoleTest, BurstStartsWithThePreviousTicksIconCount) {
    FastRun(5);
    blackHole = {BlackHoleStage::Trembling, 4.9, 0, 0};
    const SlotPolar expected = SpiralSlot(4);  // five icons
    view.count = 3;
    MotionTick();
    EXPECT_EQ(blackHole.blackHoleStage, BlackHoleStage::Bursting);
    EXPECT_EQ(iconRing.iconCount, 3);
    EXPECT_EQ(iconRing.slotRadius[4], expected.radius);
    EXPECT_EQ(iconRing.slotAngle[4], expected.angle);
}

TEST_F(BlackHoleTest, RepeatDoublesTheBurstStep) {
    for (bool repeat : {false, true}) {
        Restart();
        appMode.repeat = repeat;
        blackHole = {BlackHoleStage::Bursting, 1.0, 0, 0};
        MotionTick();
        EXPECT_NEAR(iconRing.ringAngle, -(repeat ? 2 : 1) * kTwoPi * 0.2 / 180, 1e-15);
    }
}

class BlackHoleEndTest : public BlackHoleTest {
protected:
    void SetUp() override {
        BlackHoleTest::SetUp();
        TempWorkingDir::Write("33,44");
        runningSettings.revolutionTime = -180;
    }
};

TEST_F(BlackHoleEndTest, BurstEndsAfterTheFourthPowerOfOnePointSix) {
    blackHole = {BlackHoleStage::Bursting, 6.5536, 0, 0};
    BlackHoleEndOfTick();
    EXPECT_EQ(blackHole.blackHoleStage, BlackHoleStage::Bursting);
    blackHole.blackHoleElapsed = 6.5537;
    BlackHoleEndOfTick();
    EXPECT_EQ(blackHole.blackHoleStage, BlackHoleStage::Swallowing);
    EXPECT_EQ(blackHole.blackHoleElapsed, 0.0);
    EXPECT_EQ(appMode.mode, Mode::Normal);
    EXPECT_EQ(runningSettings.innerRadius, 33);
    EXPECT_EQ(runningSettings.revolutionTime, 180);  // the user's own: the file does not hold it
    EXPECT_EQ(appMode.layoutDirty, 1);
}

// Ended with icons parked right of the screen: one pass lays every icon on
// the user's spiral (the file's 33 and 44, around 512,370), none left out of
// sight. Ended with none parked: nothing moves.
TEST_F(BlackHoleEndTest, AnEndWithIconsParkedLaysThemOnTheUsersSpiral) {
    for (bool parked : {true, false}) {
        Restart();
        FastRun(3);
        if (parked) iconRing.slotRadius[1] = -1.0;
        OnMainWindowDestroyed();
        ASSERT_EQ(view.moves.size(), parked ? 3u : 0u);
        EXPECT_EQ(appMode.mode, parked ? Mode::Normal : Mode::BlackHole);
        for (const Move& m : view.moves) EXPECT_LE(std::hypot(m.x - 512, m.y - 370), 45.0) << m;
        EXPECT_EQ(iconRing.slotRadius[0], parked ? 33.0 : 20.0);
    }
}

TEST_F(BlackHoleEndTest, RepeatStartsOverWithoutReloading) {
    appMode.repeat = 1;
    blackHole = {BlackHoleStage::Bursting, 6.6, 0, 0};
    BlackHoleEndOfTick();
    EXPECT_EQ(blackHole.blackHoleStage, BlackHoleStage::Swallowing);
    EXPECT_EQ(appMode.mode, Mode::BlackHole);
    EXPECT_EQ(runningSettings.innerRadius, 20);
    EXPECT_EQ(appMode.layoutDirty, 0);
}

}  // namespace
