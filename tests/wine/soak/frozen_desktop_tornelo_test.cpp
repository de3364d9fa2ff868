// A desktop that stops answering for longer than Windows takes to call a
// program hung: tornelo's tick waits for it (it sends without a time-out)
// and goes on turning the spiral once the desktop answers again; a second
// start meanwhile still ends it.
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

class FrozenDesktop : public TorneloOnStandinTest {
protected:
    void SetUp() override {
        StartWith(kTurningLine, kIcons);
        ASSERT_TRUE(IconsMoveWithin(*desktop_, 10000)) << "tornelo does not turn the icons to begin with";
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

TEST_F(FrozenDesktop, ASecondStartWhileTheDesktopSleepsEndsBothCopies) {
    StandinDesktop& desktop = *desktop_;
    Tornelo& tornelo = *tornelo_;

    ASSERT_TRUE(soak::FreezeStandin(desktop.ListView(), kFreezeMs)) << "the stand-in did not freeze";
    // tornelo is held in a tick by now; the quit request reaches it all the same.
    EXPECT_EQ(RunToExit(TorneloExe(), "", folder_.Path(), kFreezeMs + 20000), 0) << "the second start";
    DWORD exitCode = 1;
    ASSERT_TRUE(tornelo.Process().WaitForExit(kFreezeMs + 10000, &exitCode)) << "a second start did not end tornelo";
    EXPECT_EQ(exitCode, 0u);
}
