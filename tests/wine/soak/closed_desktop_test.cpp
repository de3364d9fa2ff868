// The desktop goes away while tornelo runs: tornelo keeps running with
// the view it found at start, moves nothing of a desktop that comes
// later, and still ends on a second start.
#include <gtest/gtest.h>

#include <memory>

#include "soak_support.h"
#include "tornelo_under_test.h"

using namespace tornelo_test;

namespace {

const char* const kTurningLine = "20,250,2.000,1.000,0.100,20,500,1";
constexpr DWORD kTicksOfTwoSecondsMs = 2000;

}  // namespace

TEST(ClosedDesktop, TorneloOutlivesItsDesktopMovesNothingAndEndsOnASecondStart) {
    auto desktop = std::make_unique<StandinDesktop>("--icons 10");
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

    StandinDesktop later("--icons 10");
    ASSERT_TRUE(later.Ready());
    const std::vector<IconPosition> laid = PositionsOf(later.Icons());
    Sleep(kTicksOfTwoSecondsMs);
    EXPECT_EQ(PositionsOf(later.Icons()), laid) << "tornelo moved icons of a desktop that came after it";
    EXPECT_TRUE(tornelo.Process().IsRunning());

    EXPECT_EQ(RunToExit(TorneloExe(), "", folder.Path(), 20000), 0) << "the second start";
    DWORD exitCode = 1;
    ASSERT_TRUE(tornelo.Process().WaitForExit(10000, &exitCode)) << "a second start did not end tornelo";
    EXPECT_EQ(exitCode, 0u);
}
