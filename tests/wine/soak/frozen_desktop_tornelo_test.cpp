// A desktop that stops answering for longer than Windows takes to call a
// program hung: tornelo waits for it a bounded time in each tick, its menu
// and a second start answer meanwhile, and it goes on turning the spiral
// once the desktop answers again.
#include <gtest/gtest.h>

#include "soak_support.h"
#include "tornelo_fixture.h"

using namespace tornelo_test;

namespace {

const char* const kTurningLine = "20,250,2.000,1.000,0.100,20,500,1";
const Settings kTurning{20, 250, 2.0, 1.0, 0.1, 20, 500, 1};
constexpr int kIcons = 12;
// Beyond the 5 s after which Windows, and Wine, count a window as hung.
constexpr DWORD kFreezeMs = 6000;
constexpr DWORD kLongFreezeMs = 10000;
// A tick waits at most 2 s for the shell; the rest is room for a busy machine.
constexpr DWORD kAnswerWithinMs = 3000;

class FrozenDesktop : public TorneloOnStandinTest {
protected:
    void SetUp() override {
        StartWith(kTurningLine, kIcons);
        ASSERT_TRUE(IconsMoveWithin(*desktop_, 10000)) << "tornelo does not turn the icons to begin with";
    }
    // Freezes the stand-in and waits until tornelo has waited out a send to
    // it, as its trace tells: from then on its ticks are held by the desktop.
    bool FreezeAndHoldTornelo(DWORD milliseconds) {
        const size_t traced = DebugOutputOf(tornelo_->ProcessId()).size();
        return soak::FreezeStandin(desktop_->ListView(), milliseconds) && WaitUntil([&] {
            return DebugOutputOf(tornelo_->ProcessId()).find("to the desktop view failed", traced) != std::string::npos;
        }, 5000);
    }
};

}  // namespace

TEST_F(FrozenDesktop, TorneloWaitsForTheDesktopAndThenGoesOnTurning) {
    StandinDesktop& desktop = *desktop_;
    Tornelo& tornelo = *tornelo_;

    ASSERT_TRUE(soak::FreezeStandin(desktop.ListView(), kFreezeMs)) << "the stand-in did not freeze";
    ASSERT_TRUE(WaitUntil([&] { return soak::Answers(desktop.ListView(), 100); }, kFreezeMs + 10000))
        << "the stand-in did not wake up";

    ASSERT_TRUE(tornelo.Process().IsRunning()) << "tornelo ended while the desktop did not answer";
    EXPECT_TRUE(IconsMoveWithin(desktop, 10000)) << "tornelo no longer turns the icons after the freeze";
    // Still one rigid spiral: no icon was skipped or left behind.
    std::vector<ItemSlot> slots = InitialSlots(kTurning, kIcons);
    TimedRead read;
    std::string problem = "not read";
    WaitForIcons(desktop, [&](const TimedRead& r) { return (problem = CheckOnTurnedSpiral(r, slots, kTurning)).empty(); },
                 10000, &read);
    EXPECT_EQ(problem, "");

    EXPECT_EQ(RunToExit(TorneloExe(), "", folder_.Path(), 20000), 0) << "the second start";
    DWORD exitCode = 1;
    ASSERT_TRUE(tornelo.Process().WaitForExit(10000, &exitCode)) << "a second start did not end tornelo";
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(FrozenDesktop, ASecondStartWhileTheDesktopSleepsEndsBothCopiesAtOnce) {
    StandinDesktop& desktop = *desktop_;
    Tornelo& tornelo = *tornelo_;

    // The quit request reaches tornelo all the same.
    ASSERT_TRUE(FreezeAndHoldTornelo(kLongFreezeMs)) << "the frozen stand-in did not hold tornelo";
    const ULONGLONG started = GetTickCount64();
    EXPECT_EQ(RunToExit(TorneloExe(), "", folder_.Path(), kLongFreezeMs + 20000), 0) << "the second start";
    DWORD exitCode = 1;
    ASSERT_TRUE(tornelo.Process().WaitForExit(kLongFreezeMs + 10000, &exitCode)) << "a second start did not end tornelo";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_LE(GetTickCount64() - started, kAnswerWithinMs) << "both copies took that long to end";
    EXPECT_TRUE(WaitUntil([&] { return soak::Answers(desktop.ListView(), 100); }, kLongFreezeMs + 10000));
}

TEST_F(FrozenDesktop, TheMenuOpensWhileTheDesktopSleeps) {
    StandinDesktop& desktop = *desktop_;
    Tornelo& tornelo = *tornelo_;

    ASSERT_TRUE(FreezeAndHoldTornelo(kLongFreezeMs)) << "the frozen stand-in did not hold tornelo";
    HWND menu = PressTrayIcon(tornelo, DefaultPointer(), WM_LBUTTONDOWN, kAnswerWithinMs);
    EXPECT_NE(menu, nullptr) << "no menu within " << kAnswerWithinMs << " ms";
    if (menu) {
        EXPECT_TRUE(DismissMenu(tornelo, menu));
    }
    ASSERT_TRUE(WaitUntil([&] { return soak::Answers(desktop.ListView(), 100); }, kLongFreezeMs + 10000))
        << "the stand-in did not wake up";
    EXPECT_TRUE(IconsMoveWithin(desktop, 10000)) << "tornelo no longer turns the icons after the freeze";
}

// A second start while tornelo waits on a desktop frozen at its start: the
// start goes no further, both end with 0, the styles stay as they were, and
// neither a tray icon nor a moved icon is left behind.
TEST(FrozenAtStart, ASecondStartDuringTheStartEndsBothCleanly) {
    StandinDesktop desktop("--icons 6 --auto-arrange --align-to-grid");
    ASSERT_TRUE(desktop.Ready());
    TempFolder folder;
    WriteSettingsFile(folder, kTurningLine);
    ASSERT_TRUE(soak::FreezeStandin(desktop.ListView(), 3000));
    ChildProcess tornelo(TorneloExe(), "", folder.Path());
    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (window = FindMainWindowOf(tornelo.Id())) != nullptr; }, 5000));
    EXPECT_EQ(RunToExit(TorneloExe(), "", folder.Path(), 20000), 0) << "the second start";
    DWORD exitCode = 1;
    ASSERT_TRUE(tornelo.WaitForExit(20000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    ASSERT_TRUE(WaitUntil([&] { return soak::Answers(desktop.ListView(), 100); }, 10000));
    const ArrangingStyles after = desktop.Styles();
    EXPECT_TRUE(after.autoArrange && after.snapToGrid);
    EXPECT_FALSE(TrayIconExists(window));
    EXPECT_EQ(desktop.MovesReceived(), 0);
}

// A shell that takes longer to switch each style off than tornelo waits:
// tornelo goes on meanwhile, the shell carries both changes out late, and
// at tornelo's end both are back on (the grid's change was recorded before
// it went out, auto-arrange's made by a worker that tornelo did not wait for).
TEST(SlowStyleChanges, StylesSwitchedOffLateAreBackOnAtTheEnd) {
    StandinDesktop desktop("--icons 6 --auto-arrange --align-to-grid --slow-style-off 3000");
    ASSERT_TRUE(desktop.Ready());
    TempFolder folder;
    WriteSettingsFile(folder, kTurningLine);
    Tornelo tornelo(folder);
    ASSERT_TRUE(tornelo.Ready());
    EXPECT_TRUE(WaitUntil([&] { return desktop.BothStylesOff(); }, 20000));
    EXPECT_TRUE(tornelo.Settle());
    EXPECT_EQ(RunToExit(TorneloExe(), "", folder.Path(), 20000), 0) << "the second start";
    DWORD exitCode = 1;
    ASSERT_TRUE(tornelo.Process().WaitForExit(10000, &exitCode));
    const ArrangingStyles after = desktop.Styles();
    EXPECT_TRUE(after.autoArrange && after.snapToGrid);
}
