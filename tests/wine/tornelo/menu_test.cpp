// tornelo.exe's tray menu: where it opens, its check marks, and what each
// command does to the running program and to the icons.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "tornelo_fixture.h"

using namespace tornelo_test;

namespace {

// No tick for hours: nothing but the commands changes anything.
const char* const kStillSettings = "20,200,2.000,1.000,30000.000,180,500,1";

// Right of the virtual screen, in the view's coordinates: a view that
// starts left of the primary screen counts from there.
IconPosition ParkingPlace(int viewOffsetX = 0) { return {FullScreenSize().width + viewOffsetX + 50, 1}; }

int CountParked(const std::vector<IconPosition>& positions, int viewOffsetX = 0) {
    int parked = 0;
    for (const IconPosition& position : positions) parked += position == ParkingPlace(viewOffsetX) ? 1 : 0;
    return parked;
}

// The check marks of a freshly opened menu; the menu is closed again.
MenuSnapshot CheckMarks(const Tornelo& tornelo) {
    HWND menu = PressTrayIcon(tornelo, DefaultPointer());
    if (!menu) return MenuSnapshot{};
    MenuSnapshot snapshot = ReadOpenMenu(menu);
    DismissMenu(tornelo, menu);
    return snapshot;
}

std::string CheckedPositions(const MenuSnapshot& snapshot) {
    if (!snapshot.readable) return "<menu not readable>";
    std::string text;
    for (int position = 0; position < kMenuItemCount; ++position) {
        if (snapshot.checked[position]) text += std::to_string(position) + " ";
    }
    return text;
}


// How far the ring angle turns between two read-backs `gapMs` apart: more
// than 0 clockwise, less than 0 anticlockwise, 0 when it stood still.
double RingTurn(StandinDesktop& desktop, const std::vector<ItemSlot>& slots, DWORD gapMs) {
    std::vector<IconPosition> first = PositionsOf(desktop.Icons());
    Sleep(gapMs);
    std::vector<IconPosition> second = PositionsOf(desktop.Icons());
    return std::remainder(ObservedRingAngle(second, slots) - ObservedRingAngle(first, slots), kTwoPi);
}

// Swallowing takes |revolution time| x |turns| = 2 s, trembling 5 s, the burst 6.6 s.
const Settings kFastBlackHole{10, 200, 0.5, 1.0, 0.2, 4, 500, 1};

class TrayMenuTest : public TorneloOnStandinTest {
protected:
    void StartFastBlackHole(int icons, const std::string& standinOptions = "") {
        StartWith("10,200,0.500,1.000,0.200,4,500,1", icons, standinOptions);
        ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kBlackHoleItem, DefaultPointer()));
    }
};

}  // namespace

TEST_F(TrayMenuTest, ALeftPressOpensTheMenuWithItsBottomRightCornerAtThePointer) {
    StartWith(kStillSettings, 4);
    const POINT pointer{600, 500};
    HWND menu = PressTrayIcon(*tornelo_, pointer);
    ASSERT_NE(menu, nullptr) << "no menu window (\"#32768\") opened";
    RECT frame = {};
    GetWindowRect(menu, &frame);
    EXPECT_EQ(frame.right, pointer.x);
    EXPECT_EQ(frame.bottom, pointer.y);
    EXPECT_LT(frame.left, frame.right);
    EXPECT_LT(frame.top, frame.bottom);
    MenuSnapshot snapshot = ReadOpenMenu(menu);
    EXPECT_TRUE(snapshot.readable) << "the open menu cannot be read from outside";
    EXPECT_EQ(CheckedPositions(snapshot), "0 ") << "at start the normal mode, and only it, is checked";
    EXPECT_TRUE(DismissMenu(*tornelo_, menu));
}

TEST_F(TrayMenuTest, OtherMouseEventsOnTheTrayIconOpenNothing) {
    StartWith(kStillSettings, 4);
    const UINT others[] = {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE};
    for (UINT message : others) {
        const std::vector<IconPosition> before = PositionsOf(desktop_->Icons());
        PressTrayIcon(*tornelo_, DefaultPointer(), message, 0);
        // A tick posted after the press is handled after it: once the icons
        // move, the press has had its turn (no tick of its own comes for hours).
        PostMessageA(tornelo_->MainWindow(), WM_TIMER, kAnimationTimerId, 0);
        TimedRead read;
        ASSERT_TRUE(WaitForIcons(*desktop_, [&](const TimedRead& r) { return r.positions != before; }, 5000, &read))
            << "the tick posted after mouse message " << message << " was not handled";
        HWND menu = FindOpenMenu(tornelo_->ProcessId());
        EXPECT_EQ(menu, nullptr) << "mouse message " << message << " opened a menu";
        if (menu) DismissMenu(*tornelo_, menu);
    }
    EXPECT_TRUE(tornelo_->Settle());
}

TEST_F(TrayMenuTest, TheRepeatCheckMarkFollowsTheToggle) {
    StartWith(kStillSettings, 4);
    EXPECT_EQ(CheckedPositions(CheckMarks(*tornelo_)), "0 ");
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kRepeatItem, DefaultPointer()));
    EXPECT_EQ(CheckedPositions(CheckMarks(*tornelo_)), "0 4 ");
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kRepeatItem, DefaultPointer()));
    EXPECT_EQ(CheckedPositions(CheckMarks(*tornelo_)), "0 ");
}

TEST_F(TrayMenuTest, TheModeCheckMarkFollowsTheModeCommands) {
    StartWith(kStillSettings, 4);
    struct Step {
        int position;
        const char* checked;
    };
    // The music file is absent here: the dance mode is entered all the same.
    const Step steps[] = {{kBlackHoleItem, "2 "}, {kBlackHoleItem, "2 "}, {kMayimMayimItem, "1 "},
                          {kNormalItem, "0 "},    {kMayimMayimItem, "1 "}, {kBlackHoleItem, "2 "},
                          {kNormalItem, "0 "},    {kNormalItem, "0 "}};
    for (const Step& step : steps) {
        ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, step.position, DefaultPointer()));
        EXPECT_EQ(CheckedPositions(CheckMarks(*tornelo_)), step.checked) << "after choosing position " << step.position;
    }
}

// Every stage of the black hole is counted in ticks, and on a busy machine
// the ticks come late: the time limits below are generous on purpose.
TEST_F(TrayMenuTest, TheBlackHoleSwallowsTheIconsAndBurstsThemBackOntoTheSpiral) {
    const Settings& settings = kFastBlackHole;
    const int icons = 8;
    StartFastBlackHole(icons);

    TimedRead read;
    bool allSwallowed = WaitForIcons(*desktop_, [&](const TimedRead& r) {
        return r.positions.size() == static_cast<size_t>(icons) && CountParked(r.positions) == icons - 1 &&
               !(r.positions[0] == ParkingPlace());
    }, 60000, &read);
    ASSERT_TRUE(allSwallowed) << "not every icon but the hole (item 0) went to (W + 50, 1): "
                              << Describe(read.positions);

    bool burst = WaitForIcons(*desktop_, [&](const TimedRead& r) { return CountParked(r.positions) == 0; }, 60000,
                              &read);
    EXPECT_TRUE(burst) << "the swallowed icons did not come back: " << Describe(read.positions);

    // The run ends in the normal mode, on the spiral of the settings file,
    // turning the way the file says again.
    std::string marks;
    EXPECT_TRUE(WaitUntil([&] { return (marks = CheckedPositions(CheckMarks(*tornelo_))) == "0 "; }, 60000))
        << "checked: " << marks;
    std::vector<ItemSlot> slots = RelayoutSlots(settings, icons);
    std::string problem;
    bool onSpiral = WaitForIcons(*desktop_, [&](const TimedRead& r) {
        problem = CheckOnTurnedSpiral(r, slots, settings);
        return problem.empty();
    }, 10000, &read);
    EXPECT_TRUE(onSpiral) << problem << "\n" << Describe(read.positions);
    EXPECT_GT(RingTurn(*desktop_, slots, 300), 0.0);
}

// Ended while icons stand parked out of sight: every icon is laid out on
// the spiral of the settings file before tornelo goes.
TEST_F(TrayMenuTest, AnExitDuringTheBlackHoleLeavesEveryIconOnTheSpiral) {
    const int icons = 8;
    StartFastBlackHole(icons);
    TimedRead read;
    const auto threeParked = [&](const TimedRead& r) { return CountParked(r.positions) >= 3; };
    ASSERT_TRUE(WaitForIcons(*desktop_, threeParked, 60000, &read)) << Describe(read.positions);
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kExitItem, DefaultPointer()));
    DWORD exitCode = 1;
    ASSERT_TRUE(tornelo_->Process().WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    read = ReadIcons(*desktop_);
    EXPECT_EQ(CheckOnTurnedSpiral(read.positions, RelayoutSlots(kFastBlackHole, icons), 0.0), "")
        << Describe(read.positions);
}

TEST_F(TrayMenuTest, WithAMonitorLeftOfThePrimaryTheBlackHoleParksRightOfTheVirtualScreen) {
    const int icons = 6;
    StartFastBlackHole(icons, "--view-offset 400,300");
    TimedRead read;
    EXPECT_TRUE(WaitForIcons(*desktop_, [&](const TimedRead& r) { return CountParked(r.positions, 400) == icons - 1; },
                             60000, &read))
        << "not every icon but the hole went to (W + 400 + 50, 1): " << Describe(read.positions);
}

TEST_F(TrayMenuTest, NormalModeReturnsTheIconsToTheSpiralOfTheSettingsFile) {
    // A slow black hole: swallowing would take 20 s.
    const Settings settings{10, 200, 1.0, 1.0, 0.1, 20, 500, 1};
    const int icons = 8;
    StartWith("10,200,1.000,1.000,0.100,20,500,1", icons);
    std::vector<ItemSlot> slots = RelayoutSlots(settings, icons);
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kBlackHoleItem, DefaultPointer()));
    // In the black hole the spiral turns against the file's direction.
    EXPECT_TRUE(WaitUntil([&] { return RingTurn(*desktop_, slots, 300) < 0.0; }, 10000)) << "no anticlockwise turn";

    TimedRead read;
    bool someSwallowed =
        WaitForIcons(*desktop_, [&](const TimedRead& r) { return CountParked(r.positions) > 0; }, 60000, &read);
    ASSERT_TRUE(someSwallowed) << Describe(read.positions);
    ASSERT_LT(CountParked(read.positions), icons - 1) << "swallowed too fast to test the way back";

    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kNormalItem, DefaultPointer()));
    std::string problem;
    bool onSpiral = WaitForIcons(*desktop_, [&](const TimedRead& r) {
        problem = CheckOnTurnedSpiral(r, slots, settings);
        return problem.empty();
    }, 10000, &read);
    EXPECT_TRUE(onSpiral) << problem << "\n" << Describe(read.positions);
    EXPECT_EQ(CountParked(read.positions), 0);
    EXPECT_GT(RingTurn(*desktop_, slots, 300), 0.0);
    EXPECT_EQ(CheckedPositions(CheckMarks(*tornelo_)), "0 ");
}

// Without a settings file the user's values are the defaults: back from a
// black hole, which turns the ring against them, the spiral turns clockwise.
TEST_F(TrayMenuTest, WithoutASettingsFileNormalModeTurnsClockwiseAgain) {
    const int icons = 8;
    StartWith(nullptr, icons);
    const Settings defaults = DefaultSettings(FullScreenSize().height);
    const std::vector<ItemSlot> slots = RelayoutSlots(defaults, icons);
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kBlackHoleItem, DefaultPointer()));
    EXPECT_TRUE(WaitUntil([&] { return RingTurn(*desktop_, slots, 600) < 0.0; }, 10000)) << "no anticlockwise turn";
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kNormalItem, DefaultPointer()));
    std::string problem;
    TimedRead read;
    bool onSpiral = WaitForIcons(*desktop_, [&](const TimedRead& r) {
        problem = CheckOnTurnedSpiral(r, slots, defaults);
        return problem.empty();
    }, 10000, &read);
    EXPECT_TRUE(onSpiral) << problem << "\n" << Describe(read.positions);
    EXPECT_GT(RingTurn(*desktop_, slots, 600), 0.005);
}

TEST_F(TrayMenuTest, TheAboutBoxOpensOnceAtTheScreenCentre) {
    StartWith(kStillSettings, 4);
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kAboutItem, DefaultPointer()));
    HWND about = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (about = FindAboutBox(tornelo_->ProcessId())) != nullptr; }, 5000));
    EXPECT_TRUE(IsWindowVisible(about));

    ScreenSize screen = FullScreenSize();
    RECT frame = {};
    GetWindowRect(about, &frame);
    EXPECT_EQ(frame.left, screen.width / 2 - ScaleForDpi(125));
    EXPECT_EQ(frame.top, screen.height / 2 - ScaleForDpi(60));
    EXPECT_EQ(frame.right - frame.left, ScaleForDpi(250));
    EXPECT_EQ(frame.bottom - frame.top, ScaleForDpi(120));

    // Chosen again while open: nothing new, nothing moved.
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kAboutItem, DefaultPointer()));
    EXPECT_EQ(DialogsWithControl(tornelo_->ProcessId(), IDC_ABOUT_OK).size(), 1u);
    RECT again = {};
    GetWindowRect(about, &again);
    EXPECT_TRUE(EqualRect(&frame, &again));

    // Escape means nothing to it: it gets no dialog keyboard handling.
    PostMessageA(GetDlgItem(about, IDC_ABOUT_OK), WM_KEYDOWN, VK_ESCAPE, 1);
    // A press posted after the key is handled after it: once its menu is
    // open, the key has had its turn.
    HWND menu = PressTrayIcon(*tornelo_, DefaultPointer());
    ASSERT_NE(menu, nullptr) << "the press posted after Escape was not handled";
    EXPECT_TRUE(DismissMenu(*tornelo_, menu));
    EXPECT_TRUE(IsWindow(about)) << "Escape closed the about box";

    PressDialogButton(about, IDC_ABOUT_OK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 5000)) << "OK did not close the about box";
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kAboutItem, DefaultPointer()));
    EXPECT_TRUE(WaitUntil([&] { return FindAboutBox(tornelo_->ProcessId()) != nullptr; }, 5000))
        << "the about box does not open again after it was closed";
}

// Failures the program passes over are told to a debugger: here the music's
// (this folder has no tune, and Wine's sequencer no song pointer).
TEST_F(TrayMenuTest, AFailedPlatformCallIsTraced) {
    StartWith(kStillSettings, 4);
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kMayimMayimItem, DefaultPointer()));
    std::string trace;
    EXPECT_TRUE(WaitUntil([&] {
        trace = DebugOutputOf(tornelo_->ProcessId());
        return trace.rfind("tornelo: ", 0) == 0 && trace.find(" mayimmayim") != std::string::npos &&
               trace.find(" failed, error ") != std::string::npos;
    }, 5000)) << "trace: " << trace;
}

TEST_F(TrayMenuTest, ExitEndsTheProgramWithZeroAndRemovesTheTrayIcon) {
    StartWith("20,200,2.000,1.000,0.050,20,500,1", 6);
    HWND window = tornelo_->MainWindow();
    ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(window); }, 5000));
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kExitItem, DefaultPointer()));
    DWORD exitCode = 1;
    ASSERT_TRUE(tornelo_->Process().WaitForExit(8000, &exitCode)) << "still running after 終了";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(TrayIconExists(window));
    EXPECT_EQ(FindMainWindowOf(tornelo_->ProcessId()), nullptr);
}
