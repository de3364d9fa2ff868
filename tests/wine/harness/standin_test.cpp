// The stand-in desktop as the programs under test see it from their own
// process, and the two read-backs the tests rely on.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness_helpers.h"
#include "wine_test_support.h"

namespace {

HWND ViewUnder(HWND topLevel) {
    HWND shellView = FindWindowExA(topLevel, nullptr, "SHELLDLL_DefView", nullptr);
    return FindWindowExA(shellView, nullptr, "SysListView32", nullptr);
}

int CountOf(HWND view) { return static_cast<int>(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0)); }

// Regions of committed memory in a process: memory left behind in it shows
// up as more of them.
int CommittedRegions(DWORD processId) {
    const ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (!process) return -1;
    int regions = 0;
    MEMORY_BASIC_INFORMATION region = {};
    const char* address = nullptr;
    while (VirtualQueryEx(process.Get(), address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT) ++regions;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address) break;
        address = next;
    }
    return regions;
}

TEST(StandinDesktop, AnotherProcessFindsTheViewByItsClassChain) {
    StandinDesktop desktop("--icons 12");
    ASSERT_TRUE(desktop.Ready());
    HWND progman = FindWindowExA(nullptr, nullptr, "Progman", nullptr);
    HWND view = ViewUnder(progman);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view, desktop.ListView());
    EXPECT_EQ(CountOf(view), 12);
    DWORD owner = 0;
    GetWindowThreadProcessId(view, &owner);
    EXPECT_EQ(owner, desktop.ProcessId());
}

TEST(StandinDesktop, WorkerWHostsTheViewAndProgmanStaysEmpty) {
    StandinDesktop desktop("--icons 5 --parent workerw");
    ASSERT_TRUE(desktop.Ready());
    HWND progman = FindWindowExA(nullptr, nullptr, "Progman", nullptr);
    ASSERT_NE(progman, nullptr);
    EXPECT_EQ(FindWindowExA(progman, nullptr, "SHELLDLL_DefView", nullptr), nullptr);
    HWND worker = FindWindowExA(nullptr, nullptr, "WorkerW", nullptr);
    HWND view = ViewUnder(worker);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view, desktop.ListView());
    EXPECT_EQ(CountOf(view), 5);
}

TEST(StandinDesktop, WithoutViewThereIsOnlyProgman) {
    StandinDesktop desktop("--parent none");
    ASSERT_TRUE(desktop.Ready());
    EXPECT_EQ(desktop.ListView(), nullptr);
    HWND progman = FindWindowExA(nullptr, nullptr, "Progman", nullptr);
    ASSERT_NE(progman, nullptr);
    EXPECT_EQ(FindWindowExA(progman, nullptr, "SHELLDLL_DefView", nullptr), nullptr);
    EXPECT_TRUE(desktop.Icons().empty());
    std::vector<DesktopIcon> dumped;
    ASSERT_TRUE(DumpIcons(&dumped));
    EXPECT_TRUE(dumped.empty());
}

TEST(StandinDesktop, IconsStartInColumnsTopToBottom) {
    StandinDesktop desktop("--icons 30");
    std::vector<DesktopIcon> icons = desktop.Icons();
    ASSERT_EQ(icons.size(), 30u);
    EXPECT_EQ(icons[0].label, "icon 01");
    EXPECT_EQ(icons[29].label, "icon 30");
    EXPECT_EQ(icons[1].x, icons[0].x);
    EXPECT_GT(icons[1].y, icons[0].y);
    // The first column ends where the screen does; the next starts at the top.
    size_t nextColumn = 1;
    while (nextColumn < icons.size() && icons[nextColumn].x == icons[0].x) ++nextColumn;
    ASSERT_LT(nextColumn, icons.size());
    EXPECT_GT(icons[nextColumn].x, icons[0].x);
    EXPECT_EQ(icons[nextColumn].y, icons[0].y);
    EXPECT_LT(icons[nextColumn - 1].y, GetSystemMetrics(SM_CYSCREEN));
}

struct Move {
    int x;
    int y;
};

class MovedIcon : public ::testing::TestWithParam<Move> {};

TEST_P(MovedIcon, BothReadBacksShowTheMove) {
    StandinDesktop desktop("--icons 8");
    ASSERT_TRUE(desktop.Ready());
    const Move move = GetParam();
    // As the programs do it: a plain message from this process.
    auto packed = (static_cast<unsigned>(move.y) & 0xFFFFu) << 16 | (static_cast<unsigned>(move.x) & 0xFFFFu);
    SendMessageA(desktop.ListView(), LVM_SETITEMPOSITION, 3, static_cast<LPARAM>(packed));

    std::vector<DesktopIcon> icons = desktop.Icons();
    ASSERT_EQ(icons.size(), 8u);
    EXPECT_EQ(icons[3].x, move.x);
    EXPECT_EQ(icons[3].y, move.y);
    EXPECT_EQ(icons[3].label, "icon 04");

    std::vector<DesktopIcon> dumped;
    ASSERT_TRUE(DumpIcons(&dumped));
    ASSERT_EQ(dumped.size(), 8u);
    EXPECT_EQ(dumped[3].index, 3);
    EXPECT_EQ(dumped[3].x, move.x);
    EXPECT_EQ(dumped[3].y, move.y);
    EXPECT_EQ(dumped[3].label, "icon 04");
    // The others did not move.
    for (size_t i = 0; i < icons.size(); ++i) {
        if (i == 3) continue;
        EXPECT_EQ(dumped[i].x, icons[i].x) << i;
        EXPECT_EQ(dumped[i].y, icons[i].y) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(OnAndOffScreen, MovedIcon,
                         ::testing::Values(Move{400, 300}, Move{0, 0}, Move{-50, -20}, Move{1500, 900},
                                           Move{-2000, 3000}));

TEST(StandinDesktop, SetIconPositionMovesTheIcon) {
    StandinDesktop desktop("--icons 4");
    EXPECT_EQ(desktop.MovesReceived(), 0) << "its own placing of the icons is not another program's";
    desktop.SetIconPosition(0, 700, 500);
    EXPECT_EQ(desktop.MovesReceived(), 1);
    std::vector<DesktopIcon> icons = desktop.Icons();
    ASSERT_EQ(icons.size(), 4u);
    EXPECT_EQ(icons[0].x, 700);
    EXPECT_EQ(icons[0].y, 500);
}

TEST(StandinDesktop, LabelsFromAFileComeBackAsWritten) {
    TempFolder folder;
    const std::string longLabel(300, 'L');
    const std::vector<std::string> labels = {"Recycle Bin", "", "a,b", "  padded  ", longLabel, "last"};
    std::string text;
    for (const std::string& label : labels) text += label + "\r\n";
    ASSERT_TRUE(WriteTextFile(folder.File("labels.txt"), text));

    StandinDesktop desktop("--labels \"" + folder.File("labels.txt") + "\"");
    std::vector<DesktopIcon> icons = desktop.Icons();
    std::vector<DesktopIcon> dumped;
    ASSERT_TRUE(DumpIcons(&dumped));
    ASSERT_EQ(icons.size(), labels.size());
    ASSERT_EQ(dumped.size(), labels.size());
    for (size_t i = 0; i < labels.size(); ++i) {
        EXPECT_EQ(icons[i].label, labels[i]) << i;
        EXPECT_EQ(dumped[i].label, labels[i]) << i;
    }
}

TEST(StandinDesktop, AddAndRemoveChangeTheCount) {
    StandinDesktop desktop("--icons 10");
    desktop.AddIcon("extra");
    EXPECT_EQ(desktop.IconCount(), 11);
    desktop.RemoveIcon(0);
    EXPECT_EQ(desktop.IconCount(), 10);
    std::vector<DesktopIcon> icons = desktop.Icons();
    ASSERT_EQ(icons.size(), 10u);
    EXPECT_EQ(icons.front().label, "icon 02");
    EXPECT_EQ(icons.back().label, "extra");
    EXPECT_EQ(desktop.MovesReceived(), 0) << "the added icon was placed by the stand-in itself";
}

TEST(StandinDesktop, CommandLineAddAndRemoveActOnTheRunningOne) {
    StandinDesktop desktop("--icons 10");
    EXPECT_EQ(RunToExit(StandinDesktopExe(), "--add \"from outside\"", ""), 0);
    EXPECT_EQ(desktop.IconCount(), 11);
    EXPECT_EQ(RunToExit(StandinDesktopExe(), "--remove 2", ""), 0);
    EXPECT_EQ(desktop.IconCount(), 10);
    EXPECT_NE(RunToExit(StandinDesktopExe(), "--remove 10", ""), 0) << "there is no icon 10";
    std::vector<DesktopIcon> dumped;
    ASSERT_TRUE(DumpIcons(&dumped));
    ASSERT_EQ(dumped.size(), 10u);
    EXPECT_EQ(dumped[2].label, "icon 04");
    EXPECT_EQ(dumped.back().label, "from outside");
}

TEST(StandinDesktop, CommandsWithoutARunningOneFail) {
    EXPECT_EQ(FindWindowExA(nullptr, nullptr, "Progman", nullptr), nullptr) << "a stand-in was left running";
    std::string output;
    EXPECT_EQ(RunToExitCapturingOutput(StandinDesktopExe(), "--dump", "", &output), 1);
    EXPECT_EQ(output, "");
    EXPECT_EQ(RunToExit(StandinDesktopExe(), "--add x", ""), 1);
    EXPECT_EQ(RunToExit(StandinDesktopExe(), "--moves", ""), 1);
    EXPECT_EQ(RunToExit(StandinDesktopExe(), "--bogus", ""), 2);
}

TEST(StandinDesktop, ReadingTheIconsLeavesNoMemoryInTheStandin) {
    StandinDesktop desktop("--icons 20");
    desktop.Icons();  // anything allocated once, the first time, is not a leak
    int before = CommittedRegions(desktop.ProcessId());
    ASSERT_GT(before, 0);
    for (int round = 0; round < 5; ++round) ASSERT_EQ(desktop.Icons().size(), 20u);
    EXPECT_EQ(CommittedRegions(desktop.ProcessId()), before);
}

TEST(StandinDesktop, EndsWithItsObject) {
    DWORD processId = 0;
    {
        StandinDesktop desktop("--icons 3");
        ASSERT_TRUE(desktop.Ready());
        processId = desktop.ProcessId();
    }
    const ScopedHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (process) {
        EXPECT_EQ(WaitForSingleObject(process.Get(), 0), WAIT_OBJECT_0);
    }
    EXPECT_EQ(FindWindowExA(nullptr, nullptr, "Progman", nullptr), nullptr);
}

}  // namespace
