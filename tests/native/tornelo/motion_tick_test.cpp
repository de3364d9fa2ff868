#include "motion/motion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine_fixture.h"

namespace {

class MotionTickTest : public EngineTest {
protected:
    void StartWith(int icons) {
        view.count = icons;
        InitialLayout();
        view.moves.clear();
    }
};

TEST_F(MotionTickTest, PlacesSlotsFromTheOuterEndInward) {
    runningSettings.blackHoleIcon = 2;
    StartWith(5);
    MotionTick();
    EXPECT_EQ(view.Items(), (std::vector<int>{4, 3, 2, 0, 1}));
    EXPECT_EQ(view.countQueries, 2);
}

TEST_F(MotionTickTest, OneRequestRelaysTwoTicksAndReArmsOnce) {
    StartWith(3);
    runningSettings.updateInterval = 0.05;
    appMode.layoutDirty = 1;
    const int radii[] = {40, 50, 60};
    std::vector<double> innerSlot;
    for (int r : radii) {
        runningSettings.innerRadius = r;
        MotionTick();
        innerSlot.push_back(iconRing.slotRadius[0]);
    }
    EXPECT_EQ(innerSlot, (std::vector<double>{40.0, 50.0, 50.0}));
    EXPECT_EQ(timer.restarts, (std::vector<unsigned>{50}));
    EXPECT_EQ(appMode.layoutDirty, 0);
}

// A changed icon count lays every slot out once at the next tick, a new view
// (the shell restarted) at once; with the settings of that moment, and the
// timer is not re-armed for it.
TEST_F(MotionTickTest, ChangedIconCountOrNewViewRelaysOnceWithoutReArming) {
    // A new view is measured once, and what it measured is applied.
    const struct { const char* what; int count; bool newView; int measures; int width; int height; } cases[] = {
        {"changed count", 4, false, 0, 1024, 740},
        {"new view", 3, true, 1, 800, 560},
    };
    for (const auto& c : cases) {
        Restart();
        StartWith(3);
        view.count = c.count;
        view.newViewFound = c.newView;
        view.display = DisplayMetrics{800, 560, 0, 0, 800};
        runningSettings.innerRadius = runningGiven.innerRadius = 44;  // the user's own: kept on a smaller screen
        c.newView ? OnViewWatch() : MotionTick();
        EXPECT_EQ(view.measures, c.measures) << c.what;
        EXPECT_EQ(screenWidth, c.width) << c.what;
        EXPECT_EQ(screenHeight, c.height) << c.what;
        EXPECT_EQ(iconRing.slotRadius[0], 44.0) << c.what;
        EXPECT_EQ(view.moves.size(), static_cast<size_t>(c.count)) << c.what;
        EXPECT_EQ(iconRing.ringAngle, c.newView ? 0.0 : kTwoPi * 0.2 / 180) << c.what;
        runningSettings.innerRadius = 55;
        MotionTick();
        EXPECT_EQ(iconRing.slotRadius[0], 44.0) << c.what;
        EXPECT_TRUE(timer.restarts.empty()) << c.what;
    }
}

TEST_F(MotionTickTest, TickDeliveredWhileAMoveWaitsReturnsAtOnce) {
    StartWith(3);
    view.duringMove = [] { MotionTick(); };
    MotionTick();
    EXPECT_EQ(view.moves.size(), 3u);
    EXPECT_EQ(view.countQueries, 2);
}

// One wait a tick for a hung shell, then the tick's other moves are skipped;
// the tick still ends as usual and the next one tries every icon again.
TEST_F(MotionTickTest, UnansweredMoveEndsTheTicksMoves) {
    StartWith(5);
    appMode.layoutDirty = 1;
    view.movesAnswered = 2;
    MotionTick();
    EXPECT_EQ(view.Items(), (std::vector<int>{4, 3, 2}));
    EXPECT_EQ(timer.restarts.size(), 1u);
    EXPECT_EQ(appMode.layoutDirty, 0);
    view.moves.clear();
    view.movesAnswered = SIZE_MAX;
    MotionTick();
    EXPECT_EQ(view.Items(), (std::vector<int>{4, 3, 2, 1, 0}));
}

TEST_F(MotionTickTest, UnansweredCountMovesNothingAndKeepsTheCount) {
    StartWith(5);
    view.countAnswered = false;
    MotionTick();
    EXPECT_TRUE(view.moves.empty());
    EXPECT_EQ(iconRing.iconCount, 5);
    view.countAnswered = true;
    runningSettings.innerRadius = 44;
    MotionTick();
    EXPECT_EQ(view.moves.size(), 5u);
    EXPECT_NE(iconRing.slotRadius[0], 44.0) << "a hung shell is no change of the desktop";
}

TEST_F(MotionTickTest, DisplayChangeTurnsTheSpiralAroundTheNewCentre) {
    StartWith(1);
    runningSettings.innerRadius = runningGiven.innerRadius = 30;  // the user's own: kept on the smaller screen
    // 800 x 600 with a monitor left of and above the primary one.
    OnDisplayChanged(DisplayMetrics{800, 600, 400, 300, 1250});
    MotionTick();
    ASSERT_EQ(view.moves.size(), 1u);
    const double angle = iconRing.ringAngle + iconRing.slotAngle[0];
    EXPECT_EQ(view.moves[0].x, static_cast<int>(std::cos(angle) * 30 + 800));
    EXPECT_EQ(view.moves[0].y, static_cast<int>(std::sin(angle) * 30 + 600));
    EXPECT_EQ(timer.restarts.size(), 1u);
}

// Radii not given follow each new screen's defaults (20 and height / 2 - 50),
// every radius is bounded by 3/4 of its height, the user's own come back on a
// larger screen, and a dance's ring is only bounded.
TEST_F(MotionTickTest, DisplayChangeFitsTheRadiiToTheNewScreen) {
    const struct {
        const char* what;
        GivenValues given;
        Mode mode;
        int from, inner0, outer0, to, inner, outer;
    } cases[] = {
        {"defaults, smaller", {0, 0, 0}, Mode::Normal, 740, 20, 320, 600, 20, 250},
        {"defaults, larger", {0, 0, 0}, Mode::BlackHole, 600, 20, 250, 1200, 20, 550},
        {"user's, smaller", {30, 500, 0}, Mode::Normal, 740, 30, 500, 600, 30, 450},  // 3/4 of 600
        {"user's, back", {30, 500, 0}, Mode::Normal, 600, 30, 450, 740, 30, 500},
        {"dance", {0, 0, 0}, Mode::MayimMayim, 740, 500, 500, 600, 450, 450},
    };
    for (const auto& c : cases) {
        Restart();
        runningGiven = c.given;
        appMode.mode = c.mode;
        screenHeight = c.from;
        runningSettings.innerRadius = c.inner0;
        runningSettings.outerRadius = c.outer0;
        OnDisplayChanged(DisplayMetrics{1024, c.to, 0, 0, 1024});
        EXPECT_EQ(runningSettings.innerRadius, c.inner) << c.what;
        EXPECT_EQ(runningSettings.outerRadius, c.outer) << c.what;
    }
}

// With auto-arrange on every move would set off an arrange of the whole
// desktop: none goes out and the ring stands; once it is off, the watch
// lays every icon out at once and the ticks go on.
TEST_F(MotionTickTest, NoMovesWhileTheViewArrangesItself) {
    StartWith(3);
    view.arranges = true;
    MotionTick();
    OnViewWatch();
    MotionTick();
    EXPECT_TRUE(view.moves.empty());
    EXPECT_EQ(iconRing.ringAngle, 0.0);
    view.arranges = false;
    OnViewWatch();
    EXPECT_EQ(view.Items(), (std::vector<int>{2, 1, 0}));
    OnViewWatch();
    MotionTick();
    EXPECT_EQ(view.moves.size(), 6u);
}

TEST_F(MotionTickTest, TimerPeriodIsTruncatedMilliseconds) {
    const struct { double interval; unsigned ms; } cases[] = {
        {0.2, 200}, {0.05, 50}, {0.001, 1}, {0.0019, 1}, {30000.0, 30000000}, {0.0, 0}, {-1.0, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(AnimationPeriodMs(c.interval), c.ms) << c.interval;
}

TEST_F(MotionTickTest, RingAngleWrapsOnceAtTwoPi) {
    runningSettings.updateInterval = 0.5;
    runningSettings.revolutionTime = 1;  // half a turn per tick, exactly
    MotionTick();
    EXPECT_EQ(iconRing.ringAngle, kTwoPi / 2);
    MotionTick();
    EXPECT_EQ(iconRing.ringAngle, 0.0);

    runningSettings.revolutionTime = 180;
    const double step = kTwoPi * 0.5 / 180;
    iconRing.ringAngle = 6.2831852 - step;
    MotionTick();
    EXPECT_NEAR(iconRing.ringAngle, 6.2831852, 1e-12);
    iconRing.ringAngle = 20.0;
    MotionTick();
    EXPECT_NEAR(iconRing.ringAngle, 20.0 + step - kTwoPi, 1e-12);  // one wrap, not a full reduction
}

TEST_F(MotionTickTest, DefaultStepAndNegativeRotation) {
    MotionTick();
    EXPECT_NEAR(iconRing.ringAngle, 0.0069813, 1e-7);
    runningSettings.revolutionTime = -1;
    for (int i = 0; i < 50; ++i) MotionTick();
    EXPECT_NEAR(iconRing.ringAngle, kTwoPi * 0.2 / 180 - 50 * kTwoPi * 0.2, 1e-9);
}

TEST_F(MotionTickTest, NoIconsStillTurnsTheRing) {
    MotionTick();
    MotionTick();
    EXPECT_GT(iconRing.ringAngle, 0.0);
    EXPECT_TRUE(view.moves.empty());
}

TEST_F(MotionTickTest, OrdinaryTickMovesEachSlotOntoItsTurnedPlace) {
    StartWith(2);
    MotionTick();
    ASSERT_EQ(view.moves.size(), 2u);
    // By hand, with python3 for the figures: slot 1 of 2 lies half way along the
    // spiral, R = sqrt(20^2 + (320^2 - 20^2) / 2) = 226.7157, angle = 6.2831853 x 3 x
    // (R - 20) / 300 = 12.98833, turned by 6.2831853 x 0.2 / 180: x = 512 + R cos = 718.18,
    // y = 370 + R sin = 464.29.
    EXPECT_EQ(view.moves[0], (Move{1, 718, 464}));
}

}  // namespace
