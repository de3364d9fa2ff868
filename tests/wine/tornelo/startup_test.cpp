// tornelo.exe against the stand-in desktop: where it puts the icons at
// start-up, how the spiral turns, single-instance control, desktops
// without the usual view chain, and icons that come and go.
#include <gtest/gtest.h>

#include <shellapi.h>

#include <climits>
#include <cmath>
#include <functional>

#include "motion/motion.h"

#include "tornelo_fixture.h"

using namespace tornelo_test;

struct StartupCase {
    const char* name;
    const char* settingsLine;
    Settings settings;  // what that line means
    int icons;
};

const StartupCase kStartupCases[] = {
    {"plain", "30,300,2.500,1.500,30000.000,180,500,1", {30, 300, 2.5, 1.5, 30000.0, 180, 500, 1}, 24},
    // Winding the other way; fewer icons taken than there are: the rest stay put.
    {"mirrored_and_capped", "40,250,-1.750,0.500,30000.000,-60,10,3", {40, 250, -1.75, 0.5, 30000.0, -60, 10, 3}, 14},
    {"circle", "120,120,1.000,1.000,30000.000,90,500,1", {120, 120, 1.0, 1.0, 30000.0, 90, 500, 1}, 9},
};

class InitialLayoutTest : public ::testing::TestWithParam<StartupCase> {};

std::string CaseName(const ::testing::TestParamInfo<StartupCase>& info) { return info.param.name; }

namespace {

// Frames enough to cover every tick tornelo can have made since `startTick`.
int FramesSince(ULONGLONG startTick, double updateInterval) {
    double elapsedSeconds = static_cast<double>(GetTickCount64() - startTick) / 1000.0;
    return static_cast<int>(elapsedSeconds / updateInterval) + 20;
}


}  // namespace

TEST_P(InitialLayoutTest, EveryIconStandsWhereTheInitialLayoutPutsIt) {
    const StartupCase& c = GetParam();
    StandinDesktop desktop("--icons " + std::to_string(c.icons));
    ASSERT_TRUE(desktop.Ready());
    std::vector<IconPosition> before = PositionsOf(desktop.Icons());
    ASSERT_EQ(before.size(), static_cast<size_t>(c.icons));

    std::vector<IconPosition> expected = ReferenceEngine(c.settings, c.icons).Positions();
    for (size_t item = 0; item < expected.size(); ++item) {
        if (expected[item].x == INT_MIN) expected[item] = before[item];  // not taken: never moved
    }

    TempFolder folder;
    WriteSettingsFile(folder, c.settingsLine);
    Tornelo tornelo(folder);
    ASSERT_TRUE(tornelo.Ready()) << "no main window of class \"tornelo\"";

    std::vector<IconPosition> observed;
    WaitUntil([&] { return (observed = PositionsOf(desktop.Icons())) == expected; }, 20000);
    EXPECT_EQ(observed, expected) << "observed: " << Describe(observed) << "\nexpected: " << Describe(expected);
}

INSTANTIATE_TEST_SUITE_P(SettingsFiles, InitialLayoutTest, ::testing::ValuesIn(kStartupCases), CaseName);

TEST(TorneloSpiral, AShortIntervalTurnsTheSpiralAndKeepsEveryIconOnItsRadius) {
    const Settings settings{20, 300, 3.0, 1.0, 0.05, 20, 500, 1};
    const int icons = 16;
    StandinDesktop desktop("--icons 16");
    ASSERT_TRUE(desktop.Ready());
    TempFolder folder;
    WriteSettingsFile(folder, "20,300,3.000,1.000,0.050,20,500,1");
    ULONGLONG started = GetTickCount64();
    Tornelo tornelo(folder);
    ASSERT_TRUE(tornelo.Ready());

    std::vector<ItemSlot> slots = InitialSlots(settings, icons);
    TimedRead first;
    std::string firstProblem = "not read";
    WaitForIcons(desktop, [&](const TimedRead& r) {
        firstProblem = CheckOnTurnedSpiral(r, slots, settings);
        return firstProblem.empty();
    }, 20000, &first);
    ASSERT_EQ(firstProblem, "") << Describe(first.positions);
    Sleep(500);
    TimedRead second = ReadIcons(desktop);
    EXPECT_EQ(CheckOnTurnedSpiral(second, slots, settings), "") << Describe(second.positions);
    EXPECT_NE(first.positions, second.positions) << "the spiral does not turn";

    // A positive revolution time turns it clockwise: the ring angle grows.
    double turned = std::remainder(
        ObservedRingAngle(second.positions, slots) - ObservedRingAngle(first.positions, slots), kTwoPi);
    EXPECT_GT(turned, 0.0);

    // And each read-back shows the engine's own moments.
    std::vector<std::vector<IconPosition>> frames =
        ReferenceEngine(settings, icons).RunTicks(FramesSince(started, settings.updateInterval));
    EXPECT_EQ(MatchFrames(frames, second.positions, 0, FramesSpannedBy(second, settings.updateInterval)), "")
        << Describe(second.positions);
}

TEST(TorneloSpiral, WithoutSettingsFileTheDefaultsApply) {
    const int icons = 12;
    StandinDesktop desktop("--icons 12");
    ASSERT_TRUE(desktop.Ready());
    TempFolder folder;
    ULONGLONG started = GetTickCount64();
    Tornelo tornelo(folder);
    ASSERT_TRUE(tornelo.Ready());
    Sleep(1000);  // let a few ticks pass: the defaults turn the spiral slowly

    Settings defaults = DefaultSettings(FullScreenSize().height);
    TimedRead read = ReadIcons(desktop);
    std::vector<std::vector<IconPosition>> frames =
        ReferenceEngine(defaults, icons).RunTicks(FramesSince(started, defaults.updateInterval));
    EXPECT_EQ(CheckOnTurnedSpiral(read, InitialSlots(defaults, icons), defaults), "") << Describe(read.positions);
    EXPECT_EQ(MatchFrames(frames, read.positions, 0, FramesSpannedBy(read, defaults.updateInterval)), "")
        << Describe(read.positions);
    EXPECT_NE(read.positions, frames.front()) << "no tick in a second with the default interval";
    EXPECT_TRUE(folder.FileNames().empty()) << "tornelo wrote a file of its own accord";
}

TEST(TorneloInstances, ASecondStartEndsTheFirstAndAThirdStartsAgain) {
    StandinDesktop desktop("--icons 6");
    ASSERT_TRUE(desktop.Ready());
    TempFolder folder;
    WriteSettingsFile(folder, "20,200,2.000,1.000,0.100,60,500,1");
    Tornelo first(folder);
    ASSERT_TRUE(first.Ready());
    HWND firstWindow = first.MainWindow();
    EXPECT_TRUE(WaitUntil([&] { return TrayIconExists(firstWindow); }, 5000)) << "no tray icon";

    EXPECT_EQ(RunToExit(TorneloExe(), "", folder.Path(), 15000), 0) << "the second start did not end with 0";
    DWORD exitCode = 1;
    ASSERT_TRUE(first.Process().WaitForExit(8000, &exitCode)) << "the first copy still runs";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(TrayIconExists(firstWindow)) << "the first copy's tray icon outlived it";
    EXPECT_EQ(FindWindowA("tornelo", nullptr), nullptr);

    Tornelo third(folder);
    ASSERT_TRUE(third.Ready()) << "a third start did not run";
    EXPECT_TRUE(WaitUntil([&] { return TrayIconExists(third.MainWindow()); }, 5000));
    EXPECT_TRUE(third.Process().IsRunning());
}

TEST(TorneloDesktops, WithoutAViewChainItRunsWithItsTrayIcon) {
    StandinDesktop desktop("--parent none");
    ASSERT_TRUE(desktop.Ready());
    TempFolder folder;
    WriteSettingsFile(folder, "20,300,3.000,1.000,0.050,20,500,1");
    Tornelo tornelo(folder);
    ASSERT_TRUE(tornelo.Ready());
    EXPECT_TRUE(WaitUntil([&] { return TrayIconExists(tornelo.MainWindow()); }, 5000));
    Sleep(1000);  // twenty ticks with nothing to move
    EXPECT_TRUE(tornelo.Process().IsRunning());
    EXPECT_TRUE(tornelo.Settle()) << "the main window stopped answering";
    DWORD exitCode = 1;
    EXPECT_TRUE(tornelo.EndByQuitRequest(8000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

// Every icon of a stand-in started with these options at the initial
// layout, shifted by where the primary screen's corner lies in the view;
// then `andThen` with tornelo still running.
void ExpectInitialLayoutOn(const std::string& standinOptions, IconPosition primaryCorner,
                           const std::function<void(StandinDesktop&, Tornelo&, TempFolder&)>& andThen = nullptr) {
    const Settings settings{30, 300, 2.5, 1.5, 30000.0, 180, 500, 1};
    StandinDesktop desktop("--icons 10 " + standinOptions);
    ASSERT_TRUE(desktop.Ready());
    std::vector<IconPosition> expected = ReferenceEngine(settings, 10).Positions();
    for (IconPosition& position : expected) position = {position.x + primaryCorner.x, position.y + primaryCorner.y};
    TempFolder folder;
    WriteSettingsFile(folder, "30,300,2.500,1.500,30000.000,180,500,1");
    Tornelo tornelo(folder);
    ASSERT_TRUE(tornelo.Ready());
    std::vector<IconPosition> observed;
    WaitUntil([&] { return (observed = PositionsOf(desktop.Icons())) == expected; }, 20000);
    EXPECT_EQ(observed, expected) << "observed: " << Describe(observed) << "\nexpected: " << Describe(expected);
    if (andThen) andThen(desktop, tornelo, folder);
}

TEST(TorneloDesktops, AViewHostedUnderWorkerWIsFoundAndDriven) { ExpectInitialLayoutOn("--parent workerw", {0, 0}); }

// As with a monitor of 400 x 300 left of and above the primary one: the
// same layout, around the primary screen's centre in the view's coordinates.
TEST(TorneloDesktops, AViewReachingBeyondThePrimaryScreenIsLaidOutAroundItsCentre) {
    ExpectInitialLayoutOn("--view-offset 400,300", {400, 300});
}

// Windows' default desktop aligns its icons to a grid, and many people have
// it arrange them too: both are off while tornelo runs, and on again after.
TEST(TorneloDesktops, AutoArrangeAndAlignToGridAreOffWhileItRunsAndBackOnAfterASecondStart) {
    ExpectInitialLayoutOn("--auto-arrange --align-to-grid", {0, 0},
                          [](StandinDesktop& desktop, Tornelo& tornelo, TempFolder& folder) {
        const ArrangingStyles running = desktop.Styles();
        EXPECT_FALSE(running.autoArrange || running.snapToGrid);
        EXPECT_EQ(RunToExit(TorneloExe(), "", folder.Path(), 15000), 0) << "the second start";
        DWORD exitCode = 1;
        EXPECT_TRUE(tornelo.Process().WaitForExit(8000, &exitCode));
        EXPECT_EQ(exitCode, 0u);
        const ArrangingStyles after = desktop.Styles();
        EXPECT_TRUE(after.autoArrange && after.snapToGrid);
    });
}

// A desktop that does not answer when tornelo first looks at it: the styles
// are cleared once it answers (the watch tries again every second).
TEST(TorneloDesktops, StylesOfAViewFrozenAtTheStartAreClearedOnceItAnswers) {
    StandinDesktop desktop("--icons 10 --auto-arrange --align-to-grid");
    ASSERT_TRUE(desktop.Ready());
    TempFolder folder;
    WriteSettingsFile(folder, "30,300,2.500,1.500,30000.000,180,500,1");
    ASSERT_EQ(RunToExit(StandinDesktopExe(), "--freeze 5000", ""), 0);
    Tornelo tornelo(folder);
    ASSERT_TRUE(tornelo.Ready()) << tornelo.WhyNotReady();
    EXPECT_NE(DebugOutputOf(tornelo.ProcessId()).find("to the desktop view failed"), std::string::npos)
        << "tornelo did not meet the frozen view";
    ASSERT_TRUE(WaitUntil([&] { return desktop.IconCount() == 10; }, 15000)) << "the stand-in did not wake up";
    EXPECT_TRUE(WaitUntil([&] { return desktop.BothStylesOff(); }, 5000)) << "the styles stayed on";
}

// At logon tornelo may start before the desktop exists: the black-hole icon
// of its file waits for a count, and the desktop is laid out within about
// a second of appearing, long before the next tick.
TEST(TorneloDesktops, ADesktopThatAppearsLaterIsLaidOutAtOnceAroundTheFilesBlackHoleIcon) {
    const Settings settings{20, 250, 2.0, 1.0, 30000.0, 20, 500, 3};
    const int icons = 6;
    TempFolder folder;
    WriteSettingsFile(folder, "20,250,2.000,1.000,30000.000,20,500,3");
    Tornelo tornelo(folder);
    ASSERT_TRUE(tornelo.Ready());
    ReferenceEngine reference(settings, 0);
    reference.SetItemCount(icons);
    LayOutNewView();
    const std::vector<IconPosition> expected = reference.Positions();
    ASSERT_EQ(SlotToItem(0), 2);

    StandinDesktop desktop("--icons " + std::to_string(icons));
    ASSERT_TRUE(desktop.Ready());
    std::vector<IconPosition> observed;
    WaitUntil([&] { return (observed = PositionsOf(desktop.Icons())) == expected; }, 2500);
    EXPECT_EQ(observed, expected) << "observed: " << Describe(observed) << "\nexpected: " << Describe(expected);
}

class DesktopChanges : public TorneloOnStandinTest {};

TEST_F(DesktopChanges, ADisplayChangeMovesTheCentre) {
    const Settings settings{20, 200, 2.0, 1.0, 0.1, 20, 500, 1};
    const int icons = 8;
    StartWith("20,200,2.000,1.000,0.100,20,500,1", icons);
    StandinDesktop& desktop = *desktop_;
    const std::vector<ItemSlot> slots = RelayoutSlots(settings, icons);
    std::string problem;
    TimedRead read;
    auto onSpiralAroundTheCentre = [&](const TimedRead& r) {
        return (problem = CheckOnTurnedSpiral(r, slots, settings)).empty();
    };
    ASSERT_TRUE(WaitForIcons(desktop, onSpiralAroundTheCentre, 10000, &read)) << problem;

    // Wine's virtual desktop follows a change of resolution, as Windows does.
    const ScreenSize before = FullScreenSize();
    DisplayMode smaller(800, 600);
    ASSERT_TRUE(smaller.Changed()) << "the display mode did not change";
    ASSERT_NE(FullScreenSize().width, before.width);
    EXPECT_TRUE(WaitForIcons(desktop, onSpiralAroundTheCentre, 10000, &read))
        << problem << "\n" << Describe(read.positions);
}

// An undocked laptop: with the defaults the spiral takes the smaller
// screen's radius (height / 2 - 50) and stays on it; back on the larger
// screen, the first spiral again.
TEST_F(DesktopChanges, ASmallerDisplayTakesItsDefaultRadiusAndTheFirstComesBack) {
    const int icons = 40;
    StartWith(nullptr, icons);
    const Settings first = DefaultSettings(FullScreenSize().height);
    std::string problem;
    TimedRead read;
    auto onSpiralOf = [&](const Settings& settings, const std::vector<ItemSlot>& slots) {
        return [&, slots](const TimedRead& r) { return (problem = CheckOnTurnedSpiral(r, slots, settings)).empty(); };
    };
    ASSERT_TRUE(WaitForIcons(*desktop_, onSpiralOf(first, InitialSlots(first, icons)), 20000, &read)) << problem;
    {
        DisplayMode smaller(800, 600);
        ASSERT_TRUE(smaller.Changed()) << "the display mode did not change";
        const ScreenSize screen = FullScreenSize();
        const Settings small = DefaultSettings(screen.height);
        ASSERT_LT(small.outerRadius, first.outerRadius);
        EXPECT_TRUE(WaitForIcons(*desktop_, onSpiralOf(small, RelayoutSlots(small, icons)), 10000, &read))
            << problem << "\n" << Describe(read.positions);
        for (const IconPosition& p : read.positions)
            EXPECT_TRUE(p.x >= 0 && p.x < screen.width && p.y >= 0 && p.y < screen.height) << p.x << "," << p.y;
    }
    EXPECT_TRUE(WaitForIcons(*desktop_, onSpiralOf(first, RelayoutSlots(first, icons)), 10000, &read))
        << problem << "\n" << Describe(read.positions);
}

// A sign-out, or Restart Manager closing tornelo for an installer: it ends
// as on the menu's exit, and nothing clears the styles again afterwards.
TEST_F(DesktopChanges, ASignOutEndsItAsTheMenusExitDoes) {
    StartWith("20,200,2.000,1.000,0.100,20,500,1", 6, "--auto-arrange --align-to-grid");
    const HWND window = tornelo_->MainWindow();
    ASSERT_TRUE(WaitUntil([&] { return desktop_->BothStylesOff(); }, 5000));
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_NORMAL, 5000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_NORMAL, 5000, &answer);
    const int moves = desktop_->MovesReceived();
    Sleep(3000);  // three passes of the watch, thirty ticks
    const ArrangingStyles after = desktop_->Styles();
    EXPECT_TRUE(after.autoArrange && after.snapToGrid);
    EXPECT_EQ(desktop_->MovesReceived(), moves);
    DWORD exitCode = 1;
    EXPECT_TRUE(tornelo_->Process().WaitForExit(1000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(TrayIconExists(window));
}

// With the user's auto-arrange on, every move would set off an arrange of
// the whole desktop: none goes out, and the spiral is back as soon as it is off.
TEST_F(DesktopChanges, NoMoveGoesOutWhileAutoArrangeIsOn) {
    const Settings settings{20, 200, 2.0, 1.0, 0.1, 20, 500, 1};
    const int icons = 8;
    StartWith("20,200,2.000,1.000,0.100,20,500,1", icons);
    ASSERT_TRUE(IconsMoveWithin(*desktop_, 5000));
    desktop_->SwitchStylesOn({true, false});
    ASSERT_TRUE(tornelo_->Settle());  // a tick under way has ended
    const int moves = desktop_->MovesReceived();
    Sleep(1500);  // fifteen ticks and the watch
    EXPECT_EQ(desktop_->MovesReceived(), moves);
    EXPECT_TRUE(desktop_->Styles().autoArrange) << "a style the user switched on was switched off";
    desktop_->SwitchStyles({true, false}, false);
    std::string problem;
    TimedRead read;
    EXPECT_TRUE(WaitForIcons(*desktop_, [&](const TimedRead& r) {
        return (problem = CheckOnTurnedSpiral(r, RelayoutSlots(settings, icons), settings)).empty();
    }, 5000, &read)) << problem << "\n" << Describe(read.positions);
}

TEST_F(DesktopChanges, TheTrayIconComesBackWhenTheTaskbarIsCreatedAgain) {
    StartWith("20,200,2.000,1.000,30000.000,180,500,1", 4);
    const Tornelo& tornelo = *tornelo_;
    ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(tornelo.MainWindow()); }, 5000));

    // What a restarted shell does: it forgets the icon, then tells every program.
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = tornelo.MainWindow();
    icon.uID = kTrayIconId;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon));
    ASSERT_FALSE(TrayIconExists(tornelo.MainWindow()));
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return TrayIconExists(tornelo.MainWindow()); }, 5000)) << "the tray icon stayed away";
}

TEST(TorneloDesktops, IconsAddedOrRemovedJoinTheSpiralAtTheNextTick) {
    const Settings settings{20, 300, 2.0, 1.5, 0.1, 30, 500, 1};
    StandinDesktop desktop("--icons 10");
    ASSERT_TRUE(desktop.Ready());
    TempFolder folder;
    WriteSettingsFile(folder, "20,300,2.000,1.500,0.100,30,500,1");
    ULONGLONG started = GetTickCount64();
    Tornelo tornelo(folder);
    ASSERT_TRUE(tornelo.Ready());
    // Turning on the spiral of ten icons first.
    TimedRead read;
    std::string problem;
    bool turning = WaitForIcons(desktop, [&](const TimedRead& r) {
        std::vector<std::vector<IconPosition>> frames =
            ReferenceEngine(settings, 10).RunTicks(FramesSince(started, settings.updateInterval));
        problem = MatchFrames(frames, r.positions, 1, FramesSpannedBy(r, settings.updateInterval));
        return problem.empty();
    }, 20000, &read);
    ASSERT_TRUE(turning) << problem << "\n" << Describe(read.positions);

    struct Step {
        const char* what;
        int countBefore;
        int countAfter;
    };
    const Step steps[] = {{"added", 10, 11}, {"removed", 11, 10}};
    for (const Step& step : steps) {
        if (step.countAfter > step.countBefore) {
            desktop.AddIcon("added");
        } else {
            desktop.RemoveIcon(4);
        }
        ASSERT_EQ(desktop.IconCount(), step.countAfter);
        // A changed count re-lays out every slot for the new count; the
        // ring angle goes on as before.
        std::vector<ItemSlot> slots = RelayoutSlots(settings, step.countAfter);
        WaitForIcons(desktop, [&](const TimedRead& r) {
            problem = CheckOnTurnedSpiral(r, slots, settings);
            return problem.empty();
        }, 20000, &read);
        EXPECT_EQ(problem, "") << "icon " << step.what << ": " << Describe(read.positions);

        ReferenceEngine reference(settings, step.countBefore);
        reference.SetItemCount(step.countAfter);
        std::vector<std::vector<IconPosition>> frames = reference.RunTicks(FramesSince(started, 0.1));
        EXPECT_EQ(MatchFrames(frames, read.positions, 1, FramesSpannedBy(read, settings.updateInterval)), "")
            << "icon " << step.what << ": " << Describe(read.positions);
    }
}
