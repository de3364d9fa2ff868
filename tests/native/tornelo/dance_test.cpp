#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "motion/motion.h"

namespace {

class DanceTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        appMode.mode = Mode::MayimMayim;
        runningSettings.turns = -2.0;
        runningSettings.spacingRatio = 3.0;
        runningSettings.revolutionTime = 77;
    }
};

struct DanceCase {
    int phase;
    const char* position;
    int inner, outer;
    double interval;
    int phaseAfter, innerAfter, outerAfter, revolutionAfter;
};

TEST_F(DanceTest, EachTickCarriesOutTheFirstRowThatHolds) {
    const DanceCase cases[] = {
        {0, "0", 20, 320, 0.2, 0, 20, 320, 77},          // not started: nothing
        {0, "0.99", 20, 320, 0.2, 0, 20, 320, 77},
        {0, "1", 20, 320, 0.2, 1, 320, 320, 30000},      // the ring forms
        {1, "34", 20, 320, 0.2, 2, 320, 320, 25},
        {2, "50", 20, 320, 0.2, 3, 320, 320, -25},
        {3, "66", 20, 320, 0.2, 4, 320, 320, 25},
        {4, "82", 20, 320, 0.2, 5, 320, 320, -25},
        {4, "81.5", 20, 320, 0.2, 4, 20, 320, 77},
        {5, "97", 100, 100, 0.2, 5, 100, 100, 77},
        {5, "98", 100, 100, 0.2, 5, 88, 88, 30000},      // contract by trunc(100 x 0.2 x 0.6)
        {5, "120", 100, 100, 0.2, 5, 112, 112, 30000},   // expand: the 115 row before the 98 row
        {5, "130", 100, 100, 0.2, 5, 88, 88, 30000},
        {5, "147", 100, 100, 0.2, 5, 112, 112, 30000},
        {5, "200", 100, 100, 0.2, 6, 100, 100, 25},      // 162 row is tested first
        {5, "100", 35, 40, 0.5, 5, 30, 30, 30000},       // 35 - 12 stops at 30
        {5, "100", 30, 30, 0.5, 5, 30, 30, 30000},
        {5, "116", 40, 30, 0.05, 5, 40, 40, 30000},      // a step under a pixel moves nothing
        {6, "177", 60, 90, 0.2, 6, 60, 90, 77},
        {6, "178", 60, 90, 0.2, 7, 90, 90, 12},
        {7, "209.9", 60, 90, 0.2, 7, 60, 90, 77},
        {7, "210", 60, 90, 0.2, 8, 90, 90, -12},
        {8, "99999", 60, 90, 0.2, 8, 60, 90, 77},        // final
        {0, "abc", 20, 320, 0.2, 0, 20, 320, 77},        // a reply that is no number reads 0
        {0, "", 20, 320, 0.2, 0, 20, 320, 77},
    };
    for (const DanceCase& c : cases) {
        Restart();
        appMode.dancePhase = c.phase;
        runningSettings.innerRadius = c.inner;
        runningSettings.outerRadius = c.outer;
        runningSettings.updateInterval = c.interval;
        music.positions = {c.position};
        MotionTick();
        const bool moved = c.revolutionAfter != 77;
        SCOPED_TRACE(testing::Message() << "phase " << c.phase << " at " << c.position);
        EXPECT_EQ(appMode.dancePhase, c.phaseAfter);
        EXPECT_EQ(runningSettings.innerRadius, c.innerAfter);
        EXPECT_EQ(runningSettings.outerRadius, c.outerAfter);
        EXPECT_EQ(runningSettings.revolutionTime, c.revolutionAfter);
        EXPECT_EQ(runningSettings.turns, moved ? 1.0 : -2.0);
        EXPECT_EQ(runningSettings.spacingRatio, moved ? 1.0 : 3.0);
        EXPECT_EQ(timer.restarts.size(), moved ? 1u : 0u);
    }
}

TEST_F(DanceTest, AJumpAdvancesOnePhasePerTick) {
    appMode.dancePhase = 5;
    music.positions = {"200"};
    std::vector<int> phases;
    for (int tick = 0; tick < 3; ++tick) {
        MotionTick();
        phases.push_back(appMode.dancePhase);
    }
    EXPECT_EQ(phases, (std::vector<int>{6, 7, 7}));
}

TEST_F(DanceTest, QueriesThePositionOncePerTickOnlyWhileDancing) {
    music.answerPositions = false;  // a failed query leaves the reply alone
    MotionTick();
    EXPECT_EQ(music.commands, (std::vector<std::string>{"status mayimmayim position"}));
    EXPECT_EQ(appMode.dancePhase, 0);
    appMode.mode = Mode::Normal;
    MotionTick();
    EXPECT_EQ(music.commands.size(), 1u);
}

TEST_F(DanceTest, ARingOfRadiusZeroStaysFinite) {
    view.count = 3;
    runningSettings.outerRadius = 0;
    music.positions = {"1"};
    MotionTick();
    EXPECT_EQ(view.Items(), (std::vector<int>{2, 1, 0}));
    for (const Move& m : view.moves) EXPECT_EQ(m, (Move{m.item, 512, 370}));
}

}  // namespace
