#include "settings/settings_dialog_rules.h"

#include <gtest/gtest.h>

#include <climits>

#include "engine_fixture.h"

namespace {

constexpr int kHeight = 740;

struct Entries {
    const char* inner = "20";
    const char* outer = "320";
    const char* turns = "3.000";
    const char* spacing = "1.000";
    const char* interval = "0.200";
    const char* revolution = "180";
    const char* maxIcons = "500";
    const char* blackHole = "1";
    bool rightward = false;
    bool counterClockwise = false;

    Settings Apply(int itemCount = 10) const {
        const SettingsDialogTexts texts = {inner,    outer,    turns,     spacing,   interval,
                                           revolution, maxIcons, blackHole, rightward, counterClockwise};
        return SettingsFromDialog(texts, kHeight, itemCount);
    }
};

TEST(SettingsFromDialog, RadiiInEitherOrder) {
    struct { const char* a; const char* b; int inner; int outer; } cases[] = {
        {"500", "100", 100, 500}, {"", "", 1, 0}, {"2000", "2000", 2000, 555}, {"0", "40", 1, 40},
        {"-5", "-9", 1, -5},
    };
    for (const auto& c : cases) {
        Entries e;
        e.inner = c.a;
        e.outer = c.b;
        const Settings s = e.Apply();
        EXPECT_EQ(s.innerRadius, c.inner) << c.a << " " << c.b;
        EXPECT_EQ(s.outerRadius, c.outer) << c.a << " " << c.b;
    }
}

TEST(SettingsFromDialog, TurnsFallBackClampAndTakeTheDirection) {
    struct { const char* text; bool rightward; double turns; } cases[] = {
        {"", false, 3.0}, {"0", true, -3.0}, {"abc", false, 3.0}, {"-5", true, 5.0}, {"25", false, 20.0},
        {"-25", false, -20.0}, {"2.5", true, -2.5}, {"inf", false, 3.0},
    };
    for (const auto& c : cases) {
        Entries e;
        e.turns = c.text;
        e.rightward = c.rightward;
        EXPECT_EQ(e.Apply().turns, c.turns) << c.text;
    }
}

TEST(SettingsFromDialog, RealAndIntegerFieldsFallBackAndClamp) {
    struct { const char* spacing; const char* interval; const char* revolution; bool ccw; const char* maxIcons;
             double s; double u; int p; int m; } cases[] = {
        {"", "", "", false, "", 1.0, 0.2, 300, 500},
        {"0.0004", "0.0001", "", true, "0", 0.001, 0.001, -300, 500},
        {"5000", "40000", "40000", false, "900", 1000.0, 30000.0, 30000, 800},
        {"2", "0.05", "-7", true, "-3", 2.0, 0.05, -1, 1},
    };
    for (const auto& c : cases) {
        Entries e;
        e.spacing = c.spacing;
        e.interval = c.interval;
        e.revolution = c.revolution;
        e.counterClockwise = c.ccw;
        e.maxIcons = c.maxIcons;
        const Settings s = e.Apply();
        EXPECT_EQ(s.spacingRatio, c.s);
        EXPECT_EQ(s.updateInterval, c.u);
        EXPECT_EQ(s.revolutionTime, c.p);
        EXPECT_EQ(s.maxIcons, c.m);
    }
}

TEST(SettingsFromDialog, BlackHoleNumberWithinTheIcons) {
    struct { const char* text; int items; int number; } cases[] = {
        {"0", 10, 1}, {"", 10, 1}, {"15", 10, 10}, {"4", 10, 4}, {"3", 0, 1}, {"-2", 10, 1},
    };
    for (const auto& c : cases) {
        Entries e;
        e.blackHole = c.text;
        EXPECT_EQ(e.Apply(c.items).blackHoleIcon, c.number) << c.text << " of " << c.items;
    }
}

TEST(SettingsFromDialog, NullTextsReadAsEmpty) {
    const SettingsDialogTexts texts = {};
    const Settings s = SettingsFromDialog(texts, kHeight, 5);
    EXPECT_EQ(s.innerRadius, 1);
    EXPECT_EQ(s.outerRadius, 0);
    EXPECT_EQ(s.turns, 3.0);
    EXPECT_EQ(s.revolutionTime, 300);
    EXPECT_EQ(s.blackHoleIcon, 1);
}

TEST(SettingsDialogViewOf, ShowsMagnitudesAndDirections) {
    Settings s = DefaultSettings(kHeight);
    s.turns = -2.5;
    s.revolutionTime = -180;
    s.updateInterval = 0.0456;
    const SettingsDialogView v = SettingsDialogViewOf(s);
    EXPECT_EQ(v.innerRadius, 20);
    EXPECT_EQ(v.outerRadius, 320);
    EXPECT_EQ(v.blackHoleIcon, 1);
    EXPECT_FALSE(v.leftward);
    EXPECT_STREQ(v.turns, "2.500");
    EXPECT_STREQ(v.spacingRatio, "1.000");
    EXPECT_STREQ(v.updateInterval, "0.046");
    EXPECT_FALSE(v.clockwise);
    EXPECT_STREQ(v.revolutionTime, "180");
    EXPECT_STREQ(v.maxIcons, "500");

    s.turns = 1.0;
    s.revolutionTime = INT_MIN;
    const SettingsDialogView w = SettingsDialogViewOf(s);
    EXPECT_TRUE(w.leftward);
    EXPECT_STREQ(w.revolutionTime, "2147483648");
}

class HandOverTest : public EngineTest {};

TEST_F(HandOverTest, ByMode) {
    Settings applied = DefaultSettings(kHeight);
    applied.innerRadius = 77;

    HandOverAppliedSettings(applied);
    EXPECT_EQ(runningSettings.innerRadius, 77);
    EXPECT_EQ(appMode.layoutDirty, 1);

    ResetAppState();
    appMode.mode = Mode::BlackHole;
    blackHole = {BlackHoleStage::Trembling, 3.0, 5, 6};
    applied.innerRadius = 88;
    HandOverAppliedSettings(applied);
    EXPECT_EQ(runningSettings.innerRadius, 88);
    EXPECT_EQ(blackHole.blackHoleStage, BlackHoleStage::Swallowing);
    EXPECT_EQ(blackHole.blackHoleElapsed, 0.0);
    EXPECT_EQ(blackHole.holeX, 5);
    EXPECT_EQ(appMode.layoutDirty, 1);

    ResetAppState();
    appMode.mode = Mode::MayimMayim;
    applied.innerRadius = 99;
    HandOverAppliedSettings(applied);
    EXPECT_EQ(runningSettings.innerRadius, 88);
    EXPECT_EQ(appMode.layoutDirty, 0);
}

}  // namespace
