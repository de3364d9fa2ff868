// tornelo.exe's settings dialog: what it shows, what applying writes and
// changes, how it closes, where it opens.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "tornelo_fixture.h"

using namespace tornelo_test;

namespace {

struct ShownValues {
    const char* innerRadius;
    const char* outerRadius;
    const char* turns;
    bool rightward;
    const char* spacingRatio;
    const char* updateInterval;
    const char* revolutionTime;
    bool counterClockwise;
    const char* maxIcons;
    const char* blackHoleIcon;
};

void ExpectShows(HWND dialog, const ShownValues& shown, const char* when) {
    SCOPED_TRACE(when);
    EXPECT_EQ(ControlText(dialog, IDC_INNER_RADIUS), shown.innerRadius);
    EXPECT_EQ(ControlText(dialog, IDC_OUTER_RADIUS), shown.outerRadius);
    EXPECT_EQ(ControlText(dialog, IDC_TURNS), shown.turns);
    EXPECT_EQ(IsChecked(dialog, IDC_LEFTWARD), !shown.rightward);
    EXPECT_EQ(IsChecked(dialog, IDC_RIGHTWARD), shown.rightward);
    EXPECT_EQ(ControlText(dialog, IDC_SPACING_RATIO), shown.spacingRatio);
    EXPECT_EQ(ControlText(dialog, IDC_UPDATE_INTERVAL), shown.updateInterval);
    EXPECT_EQ(ControlText(dialog, IDC_REVOLUTION_TIME), shown.revolutionTime);
    EXPECT_EQ(IsChecked(dialog, IDC_CLOCKWISE), !shown.counterClockwise);
    EXPECT_EQ(IsChecked(dialog, IDC_COUNTER_CLOCKWISE), shown.counterClockwise);
    EXPECT_EQ(ControlText(dialog, IDC_MAX_ICONS), shown.maxIcons);
    EXPECT_EQ(ControlText(dialog, IDC_BLACK_HOLE_ICON), shown.blackHoleIcon);
}

class SettingsDialogTest : public TorneloOnStandinTest {
protected:
    HWND OpenDialog(POINT pointer = DefaultPointer()) { return OpenSettingsDialog(*tornelo_, pointer); }
    std::string SettingsFile() const {
        std::string contents;
        if (!ReadWholeFile(folder_.File("tornelo.ini"), &contents)) return "<no file>";
        return contents;
    }
    bool WaitForSettingsFile(const std::string& line) {
        return WaitUntil([&] { return SettingsFile() == line; }, 5000);
    }
};

}  // namespace

// At logon the shell adds its icons a few at a time: the file's black-hole
// icon 8 is bounded by each count, and on a desktop of 10 it is 8 again.
TEST_F(SettingsDialogTest, TheFilesBlackHoleIconComesBackAsTheDesktopFills) {
    const Settings settings{20, 200, 2.0, 1.0, 0.1, 180, 500, 8};
    StartWith("20,200,2.000,1.000,0.100,180,500,8", 3);
    for (int icon = 4; icon <= 10; ++icon) desktop_->AddIcon("icon");
    // Item 8 at the inner end of the spiral of 10 shows the running value too.
    std::string problem;
    TimedRead read;
    ASSERT_TRUE(WaitForIcons(*desktop_, [&](const TimedRead& r) {
        return (problem = CheckOnTurnedSpiral(r, RelayoutSlots(settings, 10), settings)).empty();
    }, 10000, &read)) << problem << "\n" << Describe(read.positions);
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog, IDC_BLACK_HOLE_ICON), "8");
}

TEST_F(SettingsDialogTest, ShowsTheRunningValuesInNormalModeAndTheFileValuesInTheOthers) {
    StartWith("40,250,-2.500,1.500,30000.000,-180,300,2", 6);
    // Changed behind the running program's back: it has read the file by now.
    const char* const changedFile = "60,280,4.000,2.000,0.500,90,200,3";
    WriteSettingsFile(folder_, changedFile);

    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr) << "no settings dialog opened";
    ExpectShows(dialog, {"40", "250", "2.500", true, "1.500", "30000.000", "180", true, "300", "2"}, "normal mode");
    PressDialogButton(dialog, IDC_SETTINGS_CANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000)) << "ｷｬﾝｾﾙ did not close the dialog";
    EXPECT_EQ(SettingsFile(), changedFile) << "ｷｬﾝｾﾙ wrote the file";

    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kBlackHoleItem, DefaultPointer()));
    dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    ExpectShows(dialog, {"60", "280", "4.000", false, "2.000", "0.500", "90", false, "200", "3"}, "black hole");
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000)) << "WM_CLOSE did not close the dialog";

    const char* const danceFile = "70,290,5.000,3.000,0.250,45,100,4";
    WriteSettingsFile(folder_, danceFile);
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kMayimMayimItem, DefaultPointer()));
    dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    ExpectShows(dialog, {"70", "290", "5.000", false, "3.000", "0.250", "45", false, "100", "4"}, "dance");
    PressDialogButton(dialog, IDC_SETTINGS_CANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_EQ(SettingsFile(), danceFile);
}

TEST_F(SettingsDialogTest, ApplyWritesTheFileAndTheRunningSpiralFollows) {
    const int icons = 8;
    StartWith("20,200,1.000,1.000,0.100,60,500,1", icons);
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);

    // Radii in either order; the button pressed the way a click presses it.
    EnterSettings(dialog, {{"300", "50", "2", "1", "0.05", "30", "500", "1"}, false, false});
    PostMessageA(GetDlgItem(dialog, IDC_SETTINGS_APPLY), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitForSettingsFile("50,300,2.000,1.000,0.050,30,500,1")) << "file: " << SettingsFile();
    EXPECT_TRUE(IsWindow(dialog)) << "適用 closed the dialog";

    const Settings applied{50, 300, 2.0, 1.0, 0.05, 30, 500, 1};
    std::vector<ItemSlot> slots = RelayoutSlots(applied, icons);
    std::vector<IconPosition> observed;
    std::string problem;
    bool onNewSpiral = WaitUntil([&] {
        TimedRead read = ReadIcons(*desktop_);
        observed = read.positions;
        problem = CheckOnTurnedSpiral(read, slots, applied);
        return problem.empty();
    }, 5000);
    EXPECT_TRUE(onNewSpiral) << problem << "\n" << Describe(observed);

    // Every value out of bounds, both directions reversed, a black-hole
    // number beyond the icons, an interval long enough to stop the ticks.
    EnterSettings(dialog, {{"30", "250", "25", "0.0004", "40000", "", "900", "99"}, true, true});
    PressDialogButton(dialog, IDC_SETTINGS_APPLY);
    EXPECT_TRUE(WaitForSettingsFile("30,250,-20.000,0.001,30000.000,-300,800,8")) << "file: " << SettingsFile();

    const Settings bounded{30, 250, -20.0, 0.001, 30000.0, -300, 800, 8};
    slots = RelayoutSlots(bounded, icons);
    onNewSpiral = WaitUntil([&] {
        observed = PositionsOf(desktop_->Icons());
        problem = CheckOnTurnedSpiral(observed, slots, 0.0);
        return problem.empty();
    }, 5000);
    EXPECT_TRUE(onNewSpiral) << problem << "\n" << Describe(observed);
    // The new interval holds from the end of that tick on: no more ticks.
    Sleep(500);
    EXPECT_EQ(PositionsOf(desktop_->Icons()), observed) << "the old interval still ticks";
}

TEST_F(SettingsDialogTest, OkWritesAndClosesCancelClosesWithoutWriting) {
    const char* const original = "20,200,1.000,1.000,30000.000,60,500,1";
    StartWith(original, 4);
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    SetControlText(dialog, IDC_INNER_RADIUS, "33");
    PressDialogButton(dialog, IDC_SETTINGS_CANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_EQ(SettingsFile(), original);

    dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr) << "the dialog does not open again after ｷｬﾝｾﾙ";
    EXPECT_EQ(ControlText(dialog, IDC_INNER_RADIUS), "20") << "a cancelled entry reached the running settings";
    SetControlText(dialog, IDC_INNER_RADIUS, "33");
    PressDialogButton(dialog, IDC_SETTINGS_OK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000)) << "OK did not close the dialog";
    EXPECT_EQ(SettingsFile(), "33,200,1.000,1.000,30000.000,60,500,1");

    dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr) << "the dialog does not open again after OK";
    EXPECT_EQ(ControlText(dialog, IDC_INNER_RADIUS), "33");
}

TEST_F(SettingsDialogTest, EscapeAndEnterDoNothing) {
    StartWith("20,200,1.000,1.000,30000.000,60,500,1", 4);
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    SetControlText(dialog, IDC_INNER_RADIUS, "44");
    HWND innerEdit = GetDlgItem(dialog, IDC_INNER_RADIUS);
    HWND turnsEdit = GetDlgItem(dialog, IDC_TURNS);
    PostMessageA(innerEdit, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(turnsEdit, WM_KEYDOWN, VK_RETURN, 1);
    // Posted after the keys, so handled after them: once the file shows
    // this apply, the keys have had their turn.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_APPLY, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_SETTINGS_APPLY)));
    EXPECT_TRUE(WaitForSettingsFile("44,200,1.000,1.000,30000.000,60,500,1")) << "file: " << SettingsFile();
    EXPECT_TRUE(IsWindow(dialog)) << "Escape or Enter closed the dialog";
    EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(SettingsDialogTest, SettingsChosenAgainWhileOpenOpensNoSecondDialog) {
    StartWith("20,200,1.000,1.000,30000.000,60,500,1", 4);
    HWND dialog = OpenDialog(POINT{900, 650});
    ASSERT_NE(dialog, nullptr);
    RECT frame = {};
    GetWindowRect(dialog, &frame);
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kSettingsItem, POINT{400, 500}));
    EXPECT_FALSE(WaitUntil([&] { return DialogsWithControl(tornelo_->ProcessId(), IDC_SETTINGS_APPLY).size() > 1; }, 1000))
        << "a second settings dialog opened";
    EXPECT_TRUE(IsWindow(dialog));
    RECT again = {};
    GetWindowRect(dialog, &again);
    EXPECT_TRUE(EqualRect(&frame, &again)) << "the open dialog moved";
}

// Whatever font stands in for the template's, the dialog holds every
// control; the placements are checked in the Japanese session too
// (japanese_test.cpp).
TEST_F(SettingsDialogTest, ItHoldsEveryControlWhateverTheFont) {
    StartWith("20,200,1.000,1.000,30000.000,60,500,1", 4);
    const POINT pointer{1000, 700};
    HWND dialog = OpenDialog(pointer);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(CheckSettingsDialogPlacement(dialog, pointer), "");
}
