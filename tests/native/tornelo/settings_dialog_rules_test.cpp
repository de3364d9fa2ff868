#include "settings/settings_dialog_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "engine_fixture.h"
#include "settings/settings_line.h"

namespace {

std::string LineOf(const Settings& s) {
    char line[256];
    FormatSettingsLine(line, sizeof line, s);
    return line;
}

struct DialogCase {
    SettingsDialogTexts texts;
    int items;
    const char* expected;  // as the settings file would hold it
};

TEST(SettingsFromDialog, EntriesBecomeBoundedSettings) {
    const DialogCase cases[] = {
        {{"500", "100", "2.5", "2", "0.05", "180", "40", "3", false, false}, 10, "100,500,2.500,2.000,0.050,180,40,3"},
        {{"", "", "", "", "", "", "", "", false, false}, 10, "1,0,3.000,1.000,0.200,300,500,1"},
        {{"", "", "", "", "", "", "", "", true, true}, 0, "1,0,-3.000,1.000,0.200,-300,500,1"},
        {{"2000", "2000", "0", "0", "0", "0", "0", "0", false, false}, 10, "2000,555,3.000,1.000,0.200,300,500,1"},
        {{"-5", "-9", "abc", "0.0004", "0.0001", "40000", "900", "15", false, false}, 10,
         "1,-5,3.000,0.001,0.001,30000,800,10"},
        {{"7", "8", "-5", "5000", "40000", "-7", "-3", "-2", true, true}, 10, "7,8,5.000,1000.000,30000.000,-1,1,1"},
        {{"7", "8", "25", "inf", "nan", "12abc", "3.9", "4", false, false}, 10, "7,8,20.000,1.000,0.200,12,3,4"},
        {{"7", "8", "-25", "1", "1", "1", "1", "1", false, false}, 10, "7,8,-20.000,1.000,1.000,1,1,1"},
        {{nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, false, false}, 5,
         "1,0,3.000,1.000,0.200,300,500,1"},
    };
    for (const DialogCase& c : cases) EXPECT_EQ(LineOf(SettingsFromDialog(c.texts, 740, c.items)), c.expected);
}

TEST(SettingsDialogViewOf, ShowsMagnitudesAndDirections) {
    Settings s = DefaultSettings(740);
    s.turns = -2.5;
    s.revolutionTime = -180;
    s.updateInterval = 0.0456;
    const SettingsDialogView v = SettingsDialogViewOf(s);
    EXPECT_EQ((std::vector<int>{v.innerRadius, v.outerRadius, v.blackHoleIcon, v.leftward, v.clockwise}),
              (std::vector<int>{20, 320, 1, false, false}));
    EXPECT_EQ(std::string(v.turns) + " " + v.spacingRatio + " " + v.updateInterval + " " + v.revolutionTime + " " +
                  v.maxIcons,
              "2.500 1.000 0.046 180 500");
    s.turns = 1.0;
    s.revolutionTime = INT_MIN;
    const SettingsDialogView w = SettingsDialogViewOf(s);
    EXPECT_TRUE(w.leftward);
    EXPECT_STREQ(w.revolutionTime, "2147483648");
}

class HandOverTest : public EngineTest {};

TEST_F(HandOverTest, ByMode) {
    const struct { Mode mode; bool taken; bool holeReset; } cases[] = {
        {Mode::Normal, true, false}, {Mode::BlackHole, true, true}, {Mode::MayimMayim, false, false},
    };
    for (const auto& c : cases) {
        Restart();
        appMode.mode = c.mode;
        blackHole = {BlackHoleStage::Trembling, 3.0, 5, 6};
        Settings applied = DefaultSettings(740);
        applied.innerRadius = 77;
        HandOverAppliedSettings(applied);
        EXPECT_EQ(runningSettings.innerRadius, c.taken ? 77 : 20);
        EXPECT_EQ(appMode.layoutDirty, c.taken ? 1 : 0);
        EXPECT_EQ(blackHole.blackHoleStage, c.holeReset ? BlackHoleStage::Swallowing : BlackHoleStage::Trembling);
        EXPECT_EQ(blackHole.blackHoleElapsed, c.holeReset ? 0.0 : 3.0);
        EXPECT_EQ(blackHole.holeX, 5);
    }
}

}  // namespace
