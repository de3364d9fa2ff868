// A desktop that stops answering while lokari runs: lokari has opened its
// access to the shell and waits in its first message. A desktop that answers
// within lokari's limit of 10 s for one message gets its whole work done, even
// when lokari comes to it late in its sleep, when it already looks hung; one
// that sleeps longer ends lokari with code 5, nothing left behind.
#include <gtest/gtest.h>

#include "lokari_wine_helpers.h"
#include "soak_support.h"

namespace {

constexpr int kIcons = 30;
// Long enough for lokari to start and reach the desktop while it sleeps.
constexpr DWORD kFreezeMs = 8000;
// A sleep that lokari joins when the desktop has not looked at its messages
// for longer than the 5 s after which Windows calls it hung.
constexpr DWORD kBusyFreezeMs = 9000;
constexpr DWORD kLateStartMs = 6000;
// Longer than lokari waits for one answer, kAnswerLimitMs.
constexpr DWORD kLongFreezeMs = 14000;
constexpr DWORD kAnswerLimitMs = 10000;
// What lokari may take beyond its limit to give up, release and end.
constexpr DWORD kEndingMarginMs = 5000;
// The item record and the label; a save also has the position.
constexpr size_t kRemoteBlocksOfARestore = 2;

class FrozenDesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(desktop_.Ready());
        icons_ = desktop_.Icons();
        ASSERT_EQ(icons_.size(), static_cast<size_t>(kIcons));
    }

    // Freezes the desktop for that long, starts lokari with that command
    // tail that long into the freeze and waits for its end, which must come
    // with that exit code. lokari counts as waiting on the frozen desktop when
    // its blocks are in the stand-in while the stand-in still sleeps.
    void RunLokariThroughAFreeze(const std::string& commandTail, DWORD freezeMs, DWORD expectedExitCode,
                                 DWORD startAfterMs = 0) {
        blocksBefore_ = SmallPrivateAllocations(desktop_.ProcessId());
        ASSERT_TRUE(soak::FreezeStandin(desktop_.ListView(), freezeMs)) << "the stand-in did not freeze";
        Sleep(startAfterMs);
        ChildProcess lokari(LokariExe(), commandTail, folder_.Path());
        ASSERT_TRUE(lokari.Started());
        const ULONGLONG started = GetTickCount64();
        bool opened = WaitUntil([&] { return RemoteBlocksLeft() >= kRemoteBlocksOfARestore; },
                                freezeMs - startAfterMs - 1000);
        EXPECT_TRUE(opened && lokari.IsRunning() && !soak::Answers(desktop_.ListView(), 100))
            << "lokari was not seen waiting on the frozen desktop";
        DWORD exitCode = 1;
        ASSERT_TRUE(lokari.WaitForExit(freezeMs + 30000, &exitCode)) << "lokari did not end after the freeze";
        elapsedMs_ = GetTickCount64() - started;
        EXPECT_EQ(exitCode, expectedExitCode);
        EXPECT_EQ(RemoteBlocksLeft(), 0u) << "lokari left memory in the stand-in";
    }

    // lokari gave up within its limit, and the stand-in wakes up whole.
    void ExpectGivenUpInTime() {
        EXPECT_LE(elapsedMs_, kAnswerLimitMs + kEndingMarginMs) << "lokari waited past its limit";
        EXPECT_TRUE(WaitUntil([&] { return soak::Answers(desktop_.ListView(), 100); }, kLongFreezeMs + 5000))
            << "the stand-in did not wake up";
        EXPECT_EQ(desktop_.IconCount(), kIcons);
    }

    size_t RemoteBlocksLeft() const {
        return NewAllocations(blocksBefore_, SmallPrivateAllocations(desktop_.ProcessId())).size();
    }

    StandinDesktop desktop_{"--icons " + std::to_string(kIcons)};
    std::vector<DesktopIcon> icons_;
    TempFolder folder_;
    std::vector<std::uintptr_t> blocksBefore_;
    ULONGLONG elapsedMs_ = 0;
};

}  // namespace

TEST_F(FrozenDesktopTest, ASaveStartedWhileTheDesktopSleepsHasEveryIcon) {
    ASSERT_NO_FATAL_FAILURE(RunLokariThroughAFreeze("", kFreezeMs, 0));
    const std::vector<std::string> names = folder_.FileNames();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(ReadWholeFile(folder_.File(names.front())), SavedSnapshotOf(icons_));
}

TEST_F(FrozenDesktopTest, ARestoreStartedWhileTheDesktopSleepsMovesEveryIconBack) {
    WriteWholeFile(folder_.File("saved.dat"), SnapshotOf(icons_));
    MoveIconsAway(desktop_);
    ASSERT_NE(PlacementsOf(desktop_.Icons()), PlacementsOf(icons_));
    ASSERT_NO_FATAL_FAILURE(RunLokariThroughAFreeze("saved.dat", kFreezeMs, 0));
    EXPECT_EQ(PlacementsOf(desktop_.Icons()), PlacementsOf(icons_));
}

TEST_F(FrozenDesktopTest, ARestoreStartedLateInASleepWaitsForTheDesktopAndMovesEveryIconBack) {
    WriteWholeFile(folder_.File("saved.dat"), SnapshotOf(icons_));
    MoveIconsAway(desktop_);
    ASSERT_NE(PlacementsOf(desktop_.Icons()), PlacementsOf(icons_));
    ASSERT_NO_FATAL_FAILURE(RunLokariThroughAFreeze("saved.dat", kBusyFreezeMs, 0, kLateStartMs));
    EXPECT_GE(elapsedMs_, kBusyFreezeMs - kLateStartMs - 1000) << "lokari did not wait for the desktop";
    EXPECT_EQ(PlacementsOf(desktop_.Icons()), PlacementsOf(icons_));
}

TEST_F(FrozenDesktopTest, ASaveOnADesktopAsleepPastTheLimitEndsWith5AndLeavesNoFile) {
    ASSERT_NO_FATAL_FAILURE(RunLokariThroughAFreeze("", kLongFreezeMs, 5));
    EXPECT_TRUE(folder_.FileNames().empty()) << "a failed save left a file";
    ExpectGivenUpInTime();
}

TEST_F(FrozenDesktopTest, ARestoreOnADesktopAsleepPastTheLimitEndsWith5) {
    WriteWholeFile(folder_.File("saved.dat"), SnapshotOf(icons_));
    ASSERT_NO_FATAL_FAILURE(RunLokariThroughAFreeze("saved.dat", kLongFreezeMs, 5));
    EXPECT_EQ(folder_.FileNames(), std::vector<std::string>{"saved.dat"});
    ExpectGivenUpInTime();
}
