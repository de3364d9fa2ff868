// The desktop goes away while tornelo runs, as when the shell restarts:
// tornelo keeps running, lays the icons of the desktop that comes next out
// on its spiral and turns them, and still ends on a second start.
#include <gtest/gtest.h>

#include <memory>

#include "soak_support.h"
#include "tornelo_under_test.h"

using namespace tornelo_test;

namespace {

const char* const kTurningLine = "20,250,2.000,1.000,0.100,20,500,1";
const Settings kTurning{20, 250, 2.0, 1.0, 0.1, 20, 500, 1};
constexpr int kIcons = 10;
constexpr DWORD kTicksOfTwoSecondsMs = 2000;
// tornelo looks for a new view once a second.
constexpr DWORD kNewViewTakenWithinMs = 2000;

}  // namespace

TEST(ClosedDesktop, TorneloOutlivesItsDesktopTurnsTheNextOneAndEndsOnASecondStart) {
    auto desktop = std::make_unique<StandinDesktop>("--icons " + std::to_string(kIcons));
    ASSERT_TRUE(desktop->Ready());
    TempFolder folder;
    WriteSettingsFile(folder, kTurningLine);
    Tornelo tornelo(folder);
    ASSERT_TRUE(tornelo.Ready());
    ASSERT_TRUE(IconsMoveWithin(*desktop, 10000)) << "tornelo does not turn the icons to begin with";

    const HWND goneView = desktop->ListView();
    desktop.reset();
    ASSERT_FALSE(IsWindow(goneView)) << "the stand-in did not close";
    Sleep(kTicksOfTwoSecondsMs);
    ASSERT_TRUE(tornelo.Process().IsRunning()) << "tornelo ended when its desktop went away";
    EXPECT_TRUE(tornelo.Settle()) << "tornelo no longer answers";
    EXPECT_TRUE(TrayIconExists(tornelo.MainWindow()));

    StandinDesktop later("--icons " + std::to_string(kIcons));
    ASSERT_TRUE(later.Ready());
    const std::vector<ItemSlot> slots = RelayoutSlots(kTurning, kIcons);
    std::string problem = "not read";
    TimedRead read;
    EXPECT_TRUE(WaitForIcons(later, [&](const TimedRead& r) {
        return (problem = CheckOnTurnedSpiral(r, slots, kTurning)).empty();
    }, kNewViewTakenWithinMs, &read)) << "the new desktop's icons are not on the spiral: " << problem;
    EXPECT_TRUE(IconsMoveWithin(later, kTicksOfTwoSecondsMs)) << "the new desktop's icons do not turn";

    EXPECT_EQ(RunToExit(TorneloExe(), "", folder.Path(), 20000), 0) << "the second start";
    DWORD exitCode = 1;
    ASSERT_TRUE(tornelo.Process().WaitForExit(10000, &exitCode)) << "a second start did not end tornelo";
    EXPECT_EQ(exitCode, 0u);
}
