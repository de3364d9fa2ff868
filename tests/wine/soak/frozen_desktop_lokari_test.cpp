// A desktop that stops answering while lokari runs: lokari has opened its
// access to the shell and waits in its first message (there is no
// time-out), then does its whole work once the desktop answers again.
#include <gtest/gtest.h>

#include "lokari_wine_helpers.h"
#include "soak_support.h"

namespace {

constexpr int kIcons = 30;
// Long enough for lokari to start and reach the desktop while it sleeps.
constexpr DWORD kFreezeMs = 8000;
// The item record and the label; a save also has the position.
constexpr size_t kRemoteBlocksOfARestore = 2;

class FrozenDesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(desktop_.Ready());
        icons_ = desktop_.Icons();
        ASSERT_EQ(icons_.size(), static_cast<size_t>(kIcons));
    }

    // Freezes the desktop, starts lokari with that command tail and waits
    // for its end. lokari counts as waiting on the frozen desktop when its
    // blocks are in the stand-in while the stand-in still sleeps.
    void RunLokariThroughAFreeze(const std::string& commandTail) {
        blocksBefore_ = SmallPrivateAllocations(desktop_.ProcessId());
        ASSERT_TRUE(soak::FreezeStandin(desktop_.ListView(), kFreezeMs)) << "the stand-in did not freeze";
        ChildProcess lokari(LokariExe(), commandTail, folder_.Path());
        ASSERT_TRUE(lokari.Started());
        bool opened = WaitUntil([&] { return RemoteBlocksLeft() >= kRemoteBlocksOfARestore; }, kFreezeMs - 1000);
        EXPECT_TRUE(opened && lokari.IsRunning() && !soak::Answers(desktop_.ListView(), 100))
            << "lokari was not seen waiting on the frozen desktop";
        DWORD exitCode = 1;
        ASSERT_TRUE(lokari.WaitForExit(kFreezeMs + 30000, &exitCode)) << "lokari did not end after the freeze";
        EXPECT_EQ(exitCode, 0u);
        EXPECT_EQ(RemoteBlocksLeft(), 0u) << "lokari left memory in the stand-in";
    }

    size_t RemoteBlocksLeft() const {
        return NewAllocations(blocksBefore_, SmallPrivateAllocations(desktop_.ProcessId())).size();
    }

    StandinDesktop desktop_{"--icons " + std::to_string(kIcons)};
    std::vector<DesktopIcon> icons_;
    TempFolder folder_;
    std::vector<std::uintptr_t> blocksBefore_;
};

}  // namespace

TEST_F(FrozenDesktopTest, ASaveStartedWhileTheDesktopSleepsHasEveryIcon) {
    ASSERT_NO_FATAL_FAILURE(RunLokariThroughAFreeze(""));
    const std::vector<std::string> names = folder_.FileNames();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(ReadWholeFile(folder_.File(names.front())), SnapshotOf(icons_));
}

TEST_F(FrozenDesktopTest, ARestoreStartedWhileTheDesktopSleepsMovesEveryIconBack) {
    WriteWholeFile(folder_.File("saved.dat"), SnapshotOf(icons_));
    MoveIconsAway(desktop_);
    ASSERT_NE(PlacementsOf(desktop_.Icons()), PlacementsOf(icons_));
    ASSERT_NO_FATAL_FAILURE(RunLokariThroughAFreeze("saved.dat"));
    EXPECT_EQ(PlacementsOf(desktop_.Icons()), PlacementsOf(icons_));
}
