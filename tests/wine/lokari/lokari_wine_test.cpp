// lokari.exe run against the stand-in desktop: what it writes, what it moves
// back, and what it leaves behind.
#include "lokari_wine_helpers.h"

#include <aclapi.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string OnlyFileIn(const TempFolder& folder) {
    const std::vector<std::string> names = folder.FileNames();
    EXPECT_EQ(names.size(), 1u);
    return names.empty() ? std::string() : names.front();
}

// Saves into the folder; the one file there must be named after a second of the run.
std::string SaveInto(const TempFolder& folder, const std::string& commandTail = "") {
    const std::time_t before = std::time(nullptr);
    EXPECT_EQ(RunLokari(commandTail, folder.Path()), 0);
    const std::time_t after = std::time(nullptr);
    const std::string name = OnlyFileIn(folder);
    const std::vector<std::string> names = SnapshotNamesBetween(before, after);
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << "file: " << name;
    return name;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// A stand-in whose icons carry the given labels, one a line.
std::string LabelsOption(const TempFolder& folder, const std::string& labels) {
    const std::string path = folder.File("labels.txt");
    WriteWholeFile(path, labels);
    return "--labels " + Quoted(path);
}

// Moves every icon away and makes sure each really moved, so that a restore
// that does nothing cannot pass.
std::vector<Placement> MoveAwayFrom(StandinDesktop& desktop, const std::vector<DesktopIcon>& saved) {
    MoveIconsAway(desktop);
    const std::vector<Placement> moved = PlacementsOf(desktop.Icons());
    EXPECT_EQ(moved.size(), saved.size());
    for (std::size_t i = 0; i < std::min(moved.size(), saved.size()); ++i) {
        EXPECT_NE(moved[i], (Placement{saved[i].x, saved[i].y})) << "icon " << i << " did not move";
    }
    return moved;
}

// ---- Save -------------------------------------------------------------------

TEST(LokariSave, WritesOneLinePerIconNamedAfterTheTime) {
    StandinDesktop desktop("--icons 30");
    ASSERT_TRUE(desktop.Ready());
    desktop.SetIconPosition(0, -40, -25);   // above and left of the screen
    desktop.SetIconPosition(1, 1500, 900);  // beyond its other corner
    const std::vector<DesktopIcon> icons = desktop.Icons();
    ASSERT_EQ(icons.size(), 30u);

    TempFolder folder;
    const std::string name = SaveInto(folder);
    EXPECT_EQ(ReadWholeFile(folder.File(name)), SavedSnapshotOf(icons));
    EXPECT_EQ(PlacementsOf(desktop.Icons()), PlacementsOf(icons)) << "a save moved icons";
}

// The second save replaces the first one's file, which has the same name.
TEST(LokariSave, TwoSavesInOneSecondLeaveTheSecondLayout) {
    StandinDesktop desktop("--icons 5");
    ASSERT_TRUE(desktop.Ready());
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::time_t start = std::time(nullptr);
        WaitUntil([&] { return std::time(nullptr) != start; }, 2000);  // a whole second ahead
        TempFolder folder;
        const std::time_t first = std::time(nullptr);
        EXPECT_EQ(RunLokari("", folder.Path()), 0);
        desktop.SetIconPosition(0, 333 + attempt, 444);
        EXPECT_EQ(RunLokari("", folder.Path()), 0);
        if (std::time(nullptr) != first) continue;  // the saves fell into two seconds
        EXPECT_EQ(folder.FileNames(), SnapshotNamesBetween(first, first));
        EXPECT_EQ(ReadWholeFile(folder.File(SnapshotNamesBetween(first, first).front())),
                  SavedSnapshotOf(desktop.Icons()));
        return;
    }
    ADD_FAILURE() << "no two saves fell into one second";
}

// An antivirus or indexer holding the earlier snapshot of that second for a
// moment: the rename onto it is tried again and succeeds once it is let go.
TEST(LokariSave, ASnapshotHeldForAMomentIsReplacedOnceLetGo) {
    StandinDesktop desktop("--icons 5");
    ASSERT_TRUE(desktop.Ready());
    TempFolder folder;
    const std::time_t now = std::time(nullptr);
    const std::vector<std::string> names = SnapshotNamesBetween(now, now + 20);
    std::vector<HANDLE> held;
    for (const std::string& name : names) {
        ASSERT_TRUE(WriteWholeFile(folder.File(name), "earlier"));
        held.push_back(CreateFileA(folder.File(name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_NE(held.back(), INVALID_HANDLE_VALUE) << name;
    }
    ChildProcess lokari(LokariExe(), "", folder.Path());
    // Its part file written, the rename comes next: held 0.7 s from then on.
    EXPECT_TRUE(WaitUntil([&] { return folder.FileNames().size() > names.size(); }, 20000)) << "no part file";
    Sleep(700);
    for (HANDLE handle : held) CloseHandle(handle);
    DWORD exitCode = 1;
    ASSERT_TRUE(lokari.WaitForExit(kLokariTimeoutMs, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(folder.FileNames(), names) << "a part file was left";
    const std::string snapshot = SavedSnapshotOf(desktop.Icons());
    EXPECT_EQ(std::count_if(names.begin(), names.end(), [&](const std::string& name) {
        return ReadWholeFile(folder.File(name)) == snapshot;
    }), 1);
}

TEST(LokariSave, NoArgumentAndBlankArgumentsAllSave) {
    StandinDesktop desktop("--icons 12");
    ASSERT_TRUE(desktop.Ready());
    const std::vector<DesktopIcon> icons = desktop.Icons();
    for (const char* tail : {"", "   ", " \t \t"}) {
        SCOPED_TRACE(testing::Message() << "command tail " << testing::PrintToString(std::string(tail)));
        TempFolder folder;
        const std::string name = SaveInto(folder, tail);
        EXPECT_EQ(ReadWholeFile(folder.File(name)), SavedSnapshotOf(icons));
    }
}

// ---- Restore ----------------------------------------------------------------

class LokariRestoreCount : public testing::TestWithParam<int> {};

TEST_P(LokariRestoreCount, PutsEveryIconBackExactly) {
    StandinDesktop desktop("--icons " + std::to_string(GetParam()));
    ASSERT_TRUE(desktop.Ready());
    PlaceIconsOnScreen(desktop);
    const std::vector<DesktopIcon> saved = desktop.Icons();
    ASSERT_EQ(saved.size(), static_cast<std::size_t>(GetParam()));

    TempFolder folder;
    const std::string name = SaveInto(folder);
    MoveAwayFrom(desktop, saved);

    EXPECT_EQ(RunLokari(folder.File(name), folder.Path()), 0);
    const std::vector<DesktopIcon> restored = desktop.Icons();
    EXPECT_EQ(PlacementsOf(restored), PlacementsOf(saved));
    EXPECT_EQ(folder.FileNames(), std::vector<std::string>{name}) << "a restore wrote a file";
}

INSTANTIATE_TEST_SUITE_P(Icons, LokariRestoreCount, testing::Values(30, 300));

TEST(LokariRestore, MissingFileEndsWith3MovesNothingAndCreatesNothing) {
    StandinDesktop desktop("--icons 30");
    ASSERT_TRUE(desktop.Ready());
    const std::vector<Placement> before = PlacementsOf(desktop.Icons());
    TempFolder folder;
    EXPECT_EQ(RunLokari(folder.File("20090305070403.dat"), folder.Path()), 3);
    EXPECT_EQ(PlacementsOf(desktop.Icons()), before);
    EXPECT_TRUE(folder.FileNames().empty());
}

// Not snapshots: a UTF-16 file, as PowerShell 5's ">" writes one, and a file
// over 16 MiB. Refused before the desktop is touched; one of 16 MiB is read.
TEST(LokariRestore, FileThatIsNoSnapshotEndsWith3AndMovesNothing) {
    StandinDesktop desktop("--icons 3");
    ASSERT_TRUE(desktop.Ready());
    const std::vector<Placement> before = PlacementsOf(desktop.Icons());
    const std::string line = "500,400,icon 01,\r\n";
    std::string utf16le = "\xFF\xFE";
    std::string utf16be = "\xFE\xFF";
    for (char c : line) utf16le += std::string{c, '\0'}, utf16be += std::string{'\0', c};
    const std::size_t bound = 16 * 1024 * 1024;
    const struct { const char* what; std::string bytes; long exitCode; } rows[] = {
        {"UTF-16 LE", utf16le, 3},
        {"UTF-16 BE", utf16be, 3},
        {"16 MiB and 1 byte", line + std::string(bound + 1 - line.size(), ' '), 3},
        {"16 MiB", line + std::string(bound - line.size(), ' '), 0},
    };
    TempFolder folder;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        WriteWholeFile(folder.File("other.dat"), row.bytes);
        EXPECT_EQ(RunLokari("other.dat", folder.Path()), row.exitCode);
        std::vector<Placement> expected = before;
        if (row.exitCode == 0) expected[0] = {500, 400};
        EXPECT_EQ(PlacementsOf(desktop.Icons()), expected);
    }
}

TEST(LokariRestore, EveryLineOfALongSnapshotIsRead) {
    StandinDesktop desktop("--icons 50");
    ASSERT_TRUE(desktop.Ready());
    const std::vector<DesktopIcon> saved = desktop.Icons();
    std::string text;
    for (int i = 0; i < 800; ++i) text += "1,1,gone " + std::to_string(i) + ",\r\n";
    TempFolder folder;
    WriteWholeFile(folder.File("long.dat"), text + SnapshotOf(saved));
    MoveAwayFrom(desktop, saved);
    EXPECT_EQ(RunLokari("long.dat", folder.Path()), 0);
    EXPECT_EQ(PlacementsOf(desktop.Icons()), PlacementsOf(saved));
}

TEST(LokariRestore, PathWithBlanksWorksQuotedOrNot) {
    StandinDesktop desktop("--icons 30");
    ASSERT_TRUE(desktop.Ready());
    const std::vector<DesktopIcon> saved = desktop.Icons();
    TempFolder folder;
    const std::string name = SaveInto(folder);
    const std::string subfolder = folder.File("snap shots");
    ASSERT_TRUE(CreateDirectoryA(subfolder.c_str(), nullptr));
    const std::string copy = subfolder + "\\" + name;
    ASSERT_TRUE(CopyFileA(folder.File(name).c_str(), copy.c_str(), TRUE));

    TempFolder elsewhere;
    for (const std::string& argument : {Quoted(copy), copy}) {
        SCOPED_TRACE("argument " + argument);
        MoveAwayFrom(desktop, saved);
        EXPECT_EQ(RunLokari(argument, elsewhere.Path()), 0);
        EXPECT_EQ(PlacementsOf(desktop.Icons()), PlacementsOf(saved));
    }
    EXPECT_TRUE(elsewhere.FileNames().empty());
}

TEST(LokariRestore, ArgumentTooLongForAPathIsRefused) {
    StandinDesktop desktop("--icons 10");
    ASSERT_TRUE(desktop.Ready());
    const std::vector<DesktopIcon> saved = desktop.Icons();
    TempFolder folder;
    const std::string path = folder.File(SaveInto(folder));
    const std::vector<Placement> moved = MoveAwayFrom(desktop, saved);
    // With its quotes removed it would name the snapshot: only its length stops it.
    const std::string argument = std::string(520 - path.size(), '"') + path;
    EXPECT_EQ(RunLokari(argument, folder.Path()), 3);
    EXPECT_EQ(PlacementsOf(desktop.Icons()), moved);
}

// ---- Labels -----------------------------------------------------------------

TEST(LokariLabels, CommaEmptyAndRepeatedLabelsComeBackToThePixel) {
    TempFolder folder;
    StandinDesktop desktop(LabelsOption(folder, "Smith, John.docx\nSmith\n1,2,3.txt\n,notes\n\ntwin\ntwin\ntwin"));
    ASSERT_TRUE(desktop.Ready());
    const std::vector<DesktopIcon> saved = desktop.Icons();
    ASSERT_EQ(saved.size(), 8u);
    ASSERT_EQ(saved[0].label, "Smith, John.docx");
    ASSERT_EQ(saved[4].label, "");

    TempFolder snapshots;
    const std::string name = SaveInto(snapshots);
    const std::string text = ReadWholeFile(snapshots.File(name));
    EXPECT_EQ(text, SavedSnapshotOf(saved));
    EXPECT_NE(text.find(std::to_string(saved[0].y) + ",Smith, John.docx,\r\n"), std::string::npos);  // whole
    EXPECT_NE(text.find(std::to_string(saved[4].y) + ",,\r\n"), std::string::npos);  // two commas in a row

    MoveAwayFrom(desktop, saved);
    EXPECT_EQ(RunLokari(snapshots.File(name), snapshots.Path()), 0);
    EXPECT_EQ(PlacementsOf(desktop.Icons()), PlacementsOf(saved));
}

TEST(LokariLabels, HandWrittenSnapshot) {
    TempFolder folder;
    StandinDesktop desktop(LabelsOption(folder, "alpha\n\nbeta\ngamma\ndelta"));
    ASSERT_TRUE(desktop.Ready());
    ASSERT_EQ(desktop.IconCount(), 5);
    const std::vector<Placement> before = PlacementsOf(desktop.Icons());
    WriteWholeFile(folder.File("hand.dat"),
                   "\r\n"                      // a placeholder...
                   "garbage\r\n"               // ...and another: neither may move the empty label
                   "300,200,alpha,\r\n"
                   "111,222,alpha,\r\n"        // for a second icon named alpha
                   "65936,-65286,beta,\r\n"    // only the low 16 bits reach the view
                   "5,6,gamma\r\n"             // the line end is part of this name
                   "  44 , 55x ,delta,\r\n"    // atoi reading
                   "7,8,nobody,\r\n");
    EXPECT_EQ(RunLokari(Quoted(folder.File("hand.dat")), folder.Path()), 0);
    const std::vector<Placement> after = PlacementsOf(desktop.Icons());
    ASSERT_EQ(after.size(), 5u);
    EXPECT_EQ(after[0], (Placement{300, 200}));
    EXPECT_EQ(after[1], before[1]);
    EXPECT_EQ(after[2], (Placement{400, 250}));
    EXPECT_EQ(after[3], before[3]);
    EXPECT_EQ(after[4], (Placement{44, 55}));
}

// ---- Screens and arranging styles -------------------------------------------

TEST(LokariScreens, IconWhoseSavedPlaceNoScreenShowsStaysAndTheRestoreEndsWith6) {
    struct {
        const char* options;
        const char* snapshot;  // icon 01 stays, icon 02 goes to `second`
        Placement second;
    } const cases[] = {
        {"--icons 2", "3000,100,icon 01,\r\n200,300,icon 02,\r\n", {200, 300}},
        // 20 pixels from the right edge of the 1024-pixel screen: a sliver of the icon would show.
        {"--icons 2", "1004,100,icon 01,\r\n200,300,icon 02,\r\n", {200, 300}},
        // The view starts 300 pixels left of the screen: x 100 lies off it, x 1200 on it.
        {"--icons 2 --view-offset 300,0", "100,100,icon 01,\r\n1200,100,icon 02,\r\n", {1200, 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        StandinDesktop desktop(c.options);
        ASSERT_TRUE(desktop.Ready());
        const std::vector<Placement> before = PlacementsOf(desktop.Icons());
        TempFolder folder;
        WriteWholeFile(folder.File("screens.dat"), c.snapshot);
        EXPECT_EQ(RunLokari("screens.dat", folder.Path()), 6);
        const std::vector<Placement> after = PlacementsOf(desktop.Icons());
        ASSERT_EQ(after.size(), 2u);
        EXPECT_EQ(after[0], before[0]);
        EXPECT_EQ(after[1], c.second);
    }
}

// A laptop docked to a monitor left of its own, then undocked, and the other
// way round: the view starts 300 pixels left of the main screen, or at it.
// Every icon goes back to the screen spot it held when it was saved.
TEST(LokariScreens, EveryIconKeepsItsScreenSpotWhenTheViewStartsElsewhere) {
    // The last line: the screen spot of the view's (0, 0) at the save.
    const struct { int savedOffset, restoredOffset; const char* originLine; } rows[] = {
        {300, 0, "origin -300 0\r\n"}, {0, 300, "origin 0 0\r\n"}};
    const auto option = [](int offset) { return "--icons 12 --view-offset " + std::to_string(offset) + ",0"; };
    // The spots on the main screen; a view that starts `offset` pixels left of
    // it has them `offset` pixels further right.
    const auto spotsIn = [](int offset) {
        std::vector<Placement> spots;
        for (int i = 0; i < 12; ++i) spots.push_back({offset + 40 + 80 * i, 100 + 10 * i});
        return spots;
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(option(row.savedOffset));
        TempFolder folder;
        {
            StandinDesktop saved(option(row.savedOffset));
            ASSERT_TRUE(saved.Ready());
            const std::vector<Placement> spots = spotsIn(row.savedOffset);
            for (int i = 0; i < 12; ++i) saved.SetIconPosition(i, spots[i].x, spots[i].y);
            ASSERT_EQ(PlacementsOf(saved.Icons()), spots);
            const std::string text = ReadWholeFile(folder.File(SaveInto(folder)));
            EXPECT_EQ(text.substr(text.rfind("origin")), row.originLine);
        }
        StandinDesktop restored(option(row.restoredOffset));
        ASSERT_TRUE(restored.Ready());
        MoveIconsAway(restored);
        EXPECT_EQ(RunLokari(OnlyFileIn(folder), folder.Path()), 0);
        EXPECT_EQ(PlacementsOf(restored.Icons()), spotsIn(row.restoredOffset));
    }
}

TEST(LokariArranging, AlignToGridIsClearedForTheMovesAndPutBack) {
    StandinDesktop desktop("--icons 10 --align-to-grid");
    ASSERT_TRUE(desktop.Ready());
    desktop.SetIconPosition(0, 101, 203);
    ASSERT_NE(PlacementsOf(desktop.Icons())[0], (Placement{101, 203})) << "the stand-in does not align";
    std::vector<DesktopIcon> wanted = desktop.Icons();
    for (DesktopIcon& icon : wanted) icon.x = 100 + 9 * icon.index, icon.y = 200 + 7 * icon.index;
    TempFolder folder;
    WriteWholeFile(folder.File("close.dat"), SnapshotOf(wanted));
    EXPECT_EQ(RunLokari("close.dat", folder.Path()), 0);
    EXPECT_EQ(PlacementsOf(desktop.Icons()), PlacementsOf(wanted));
    EXPECT_TRUE(desktop.Styles().snapToGrid) << "align to grid was not put back";
}

TEST(LokariArranging, AutoArrangeOnMovesNothingAndEndsWith7) {
    StandinDesktop desktop("--icons 10 --auto-arrange");
    ASSERT_TRUE(desktop.Ready());
    const std::vector<Placement> before = PlacementsOf(desktop.Icons());
    TempFolder folder;
    WriteWholeFile(folder.File("arranged.dat"), "500,400,icon 01,\r\n600,400,icon 02,\r\n");
    EXPECT_EQ(RunLokari("arranged.dat", folder.Path()), 7);
    // The stand-in arranges again after every move: only the count shows one.
    EXPECT_EQ(desktop.MovesReceived(), 0) << "nothing moved";
    EXPECT_EQ(PlacementsOf(desktop.Icons()), before);
    EXPECT_TRUE(desktop.Styles().autoArrange);
}

// ---- Other desktops ---------------------------------------------------------

TEST(LokariDesktops, WithoutAViewSaveAndRestoreEndWith1AndWriteNothing) {
    StandinDesktop desktop("--parent none");
    ASSERT_TRUE(desktop.Ready());
    TempFolder folder;
    EXPECT_EQ(RunLokari("", folder.Path()), 1);
    EXPECT_TRUE(folder.FileNames().empty());
    WriteWholeFile(folder.File("other.dat"), "1,2,icon 01,\r\n");
    EXPECT_EQ(RunLokari(folder.File("other.dat"), folder.Path()), 1);
    EXPECT_EQ(folder.FileNames(), std::vector<std::string>{"other.dat"});
}

TEST(LokariDesktops, ShellProcessThatCannotBeOpenedEndsWith2) {
    StandinDesktop desktop("--icons 10");
    ASSERT_TRUE(desktop.Ready());
    const std::vector<Placement> before = PlacementsOf(desktop.Icons());
    TempFolder folder;
    WriteWholeFile(folder.File("moves.dat"), "1,2,icon 01,\r\n");
    // An empty access list on the stand-in's process refuses every opening.
    const ScopedHandle opened(OpenProcess(WRITE_DAC | READ_CONTROL, FALSE, desktop.ProcessId()));
    ASSERT_TRUE(opened);
    HANDLE process = opened.Get();
    PACL openDacl = nullptr;
    PSECURITY_DESCRIPTOR original = nullptr;
    ASSERT_EQ(GetSecurityInfo(process, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &openDacl,
                              nullptr, &original),
              static_cast<DWORD>(ERROR_SUCCESS));
    ACL empty;
    ASSERT_TRUE(InitializeAcl(&empty, sizeof empty, ACL_REVISION));
    ASSERT_EQ(SetSecurityInfo(process, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &empty, nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_EQ(OpenProcess(PROCESS_VM_READ, FALSE, desktop.ProcessId()), nullptr) << "the access list was not applied";

    EXPECT_EQ(RunLokari("", folder.Path()), 2);
    EXPECT_EQ(RunLokari("moves.dat", folder.Path()), 2);
    EXPECT_EQ(folder.FileNames(), std::vector<std::string>{"moves.dat"});

    SetSecurityInfo(process, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, openDacl, nullptr);
    LocalFree(original);
    EXPECT_EQ(PlacementsOf(desktop.Icons()), before);
}

TEST(LokariDesktops, SnapshotThatCannotTakeItsNameEndsWith4AndLeavesNoFile) {
    StandinDesktop desktop("--icons 10");
    ASSERT_TRUE(desktop.Ready());
    TempFolder folder;
    // A folder under every name the save could choose in the next minute.
    const std::time_t now = std::time(nullptr);
    for (const std::string& name : SnapshotNamesBetween(now, now + 60)) {
        ASSERT_TRUE(CreateDirectoryA(folder.File(name).c_str(), nullptr)) << name;
    }
    EXPECT_EQ(RunLokari("", folder.Path()), 4);
    EXPECT_TRUE(folder.FileNames().empty());
}

TEST(LokariDesktops, FindsTheViewUnderWorkerW) {
    StandinDesktop desktop("--icons 10 --parent workerw");
    ASSERT_TRUE(desktop.Ready());
    const std::vector<DesktopIcon> saved = desktop.Icons();
    ASSERT_EQ(saved.size(), 10u);
    TempFolder folder;
    const std::string name = SaveInto(folder);
    EXPECT_EQ(ReadWholeFile(folder.File(name)), SavedSnapshotOf(saved));
    MoveAwayFrom(desktop, saved);
    EXPECT_EQ(RunLokari(folder.File(name), folder.Path()), 0);
    EXPECT_EQ(PlacementsOf(desktop.Icons()), PlacementsOf(saved));
}

// ---- Memory in the shell ----------------------------------------------------

TEST(LokariMemory, LeakDetectorSeesOneBlockLeftInTheShell) {
    StandinDesktop desktop("--icons 5");
    ASSERT_TRUE(desktop.Ready());
    const std::vector<std::uintptr_t> before = SmallPrivateAllocations(desktop.ProcessId());
    const ScopedHandle process(OpenProcess(PROCESS_VM_OPERATION, FALSE, desktop.ProcessId()));
    ASSERT_TRUE(process);
    void* block = VirtualAllocEx(process.Get(), nullptr, 40, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(block, nullptr);
    const std::vector<std::uintptr_t> added = NewAllocations(before, SmallPrivateAllocations(desktop.ProcessId()));
    EXPECT_EQ(added, std::vector<std::uintptr_t>{reinterpret_cast<std::uintptr_t>(block)});
    VirtualFreeEx(process.Get(), block, 0, MEM_RELEASE);
}

TEST(LokariMemory, NoRemoteMemoryIsLeftInTheShellAfterARun) {
    StandinDesktop desktop("--icons 30");
    ASSERT_TRUE(desktop.Ready());
    const std::vector<std::uintptr_t> before = SmallPrivateAllocations(desktop.ProcessId());
    TempFolder folder;
    const std::string name = SaveInto(folder);
    const std::vector<std::uintptr_t> afterSave = SmallPrivateAllocations(desktop.ProcessId());
    EXPECT_TRUE(NewAllocations(before, afterSave).empty()) << "left by the save";
    EXPECT_EQ(RunLokari(folder.File(name), folder.Path()), 0);
    EXPECT_TRUE(NewAllocations(afterSave, SmallPrivateAllocations(desktop.ProcessId())).empty())
        << "left by the restore";
}

}  // namespace
