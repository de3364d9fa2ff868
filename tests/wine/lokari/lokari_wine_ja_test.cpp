// lokari with Japanese labels and paths, in a session whose ANSI code page
// is 932: labels travel as the shell's ANSI bytes, including trail bytes
// that look like a backslash.
#include "lokari_wine_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>

namespace {

// UTF-8 in this file; the stand-in turns each line into code page 932.
const char* const kJapaneseLabels[] = {
    "マイ コンピュータ",     // a blank inside
    "ソフト表.xls",          // ソ and 表 end in the byte 0x5C
    "ﾏｲﾑﾏｲﾑ",               // half-width katakana: one byte each
    "予定、メモ",            // an ideographic comma, not a separator
    "日本語のファイル.txt",
};

TEST(LokariJapanese, SessionUsesCodePage932) {
    ASSERT_EQ(GetACP(), 932u);
}

TEST(LokariJapanese, LabelsRoundTripThroughASnapshotInAJapaneseFolder) {
    ASSERT_EQ(GetACP(), 932u);
    TempFolder folder;
    std::string labels;
    for (const char* label : kJapaneseLabels) labels += std::string(label) + "\n";
    labels.pop_back();
    WriteWholeFile(folder.File("labels.txt"), labels);
    StandinDesktop desktop("--labels \"" + folder.File("labels.txt") + "\"");
    ASSERT_TRUE(desktop.Ready());
    const std::vector<DesktopIcon> saved = desktop.Icons();
    ASSERT_EQ(saved.size(), std::size(kJapaneseLabels));
    for (std::size_t i = 0; i < saved.size(); ++i) ASSERT_EQ(saved[i].label, AnsiFromUtf8(kJapaneseLabels[i]));
    ASSERT_EQ(AnsiFromUtf8("表").back(), '\\');

    const std::time_t before = std::time(nullptr);
    ASSERT_EQ(RunLokari("", folder.Path()), 0);
    std::vector<std::string> names = folder.FileNames();
    names.erase(std::remove(names.begin(), names.end(), "labels.txt"), names.end());
    ASSERT_EQ(names.size(), 1u);
    const std::vector<std::string> expectedNames = SnapshotNamesBetween(before, std::time(nullptr));
    EXPECT_NE(std::find(expectedNames.begin(), expectedNames.end(), names[0]), expectedNames.end());
    EXPECT_EQ(ReadWholeFile(folder.File(names[0])), SavedSnapshotOf(saved));

    // Restore from a copy in a folder whose name holds a blank and 0x5C trail bytes.
    const std::string japaneseFolder = folder.File(AnsiFromUtf8("表 ソフト"));
    ASSERT_TRUE(CreateDirectoryA(japaneseFolder.c_str(), nullptr));
    const std::string copy = japaneseFolder + "\\" + names[0];
    ASSERT_TRUE(CopyFileA(folder.File(names[0]).c_str(), copy.c_str(), TRUE));
    MoveIconsAway(desktop);
    ASSERT_NE(PlacementsOf(desktop.Icons()), PlacementsOf(saved));
    EXPECT_EQ(RunLokari("\"" + copy + "\"", folder.Path()), 0);
    EXPECT_EQ(PlacementsOf(desktop.Icons()), PlacementsOf(saved));
}

// Labels outside code page 932, alike two by two and more once in it ("??",
// "caf?" or "cafe"), saved, then restored onto a desktop that lists them the
// other way round, as after a restart of Explorer: each icon to its own spot.
TEST(LokariJapanese, LabelsInAnyScriptComeBackToThePixelInAnyOrder) {
    ASSERT_EQ(GetACP(), 932u);
    // 한국, 서울, 简历, 😀, 😎, café, cafè, and 表.txt, which fits.
    const std::vector<std::string> labels = {
        "\xED\x95\x9C\xEA\xB5\xAD", "\xEC\x84\x9C\xEC\x9A\xB8", "\xE7\xAE\x80\xE5\x8E\x86", "\xF0\x9F\x98\x80",
        "\xF0\x9F\x98\x8E", "caf\xC3\xA9", "caf\xC3\xA8", "\xE8\xA1\xA8.txt"};
    TempFolder labelFiles;
    const auto standinWith = [&](bool reversed) {
        std::string text = "\xEF\xBB\xBF";  // the stand-in then holds them in UTF-16
        for (std::size_t i = 0; i < labels.size(); ++i) text += labels[reversed ? labels.size() - 1 - i : i] + "\n";
        const std::string path = labelFiles.File(reversed ? "reversed.txt" : "labels.txt");
        WriteWholeFile(path, text);
        return "--labels \"" + path + "\"";
    };
    TempFolder folder;
    std::vector<Placement> spots;
    {
        StandinDesktop desktop(standinWith(false));
        ASSERT_TRUE(desktop.Ready());
        PlaceIconsOnScreen(desktop);
        spots = PlacementsOf(desktop.Icons());
        ASSERT_EQ(spots.size(), labels.size());
        ASSERT_EQ(RunLokari("", folder.Path()), 0);
    }
    ASSERT_EQ(folder.FileNames().size(), 1u);
    const std::string name = folder.FileNames()[0];
    EXPECT_EQ(ReadWholeFile(folder.File(name)).substr(0, 3), "\xEF\xBB\xBF");

    StandinDesktop reversed(standinWith(true));
    ASSERT_TRUE(reversed.Ready());
    MoveIconsAway(reversed);
    EXPECT_EQ(RunLokari(name, folder.Path()), 0);
    const std::vector<Placement> after = PlacementsOf(reversed.Icons());
    ASSERT_EQ(after.size(), labels.size());
    for (std::size_t i = 0; i < labels.size(); ++i) EXPECT_EQ(after[labels.size() - 1 - i], spots[i]) << labels[i];
}

// Without quotes: the bytes above 127 in these names must not be taken for blanks.
TEST(LokariJapanese, UnquotedSnapshotNamesRestore) {
    ASSERT_EQ(GetACP(), 932u);
    StandinDesktop desktop("--icons 12");
    ASSERT_TRUE(desktop.Ready());
    const std::vector<DesktopIcon> saved = desktop.Icons();
    TempFolder folder;
    for (const char* name : {"表.dat", "あx.dat"}) {
        SCOPED_TRACE(name);
        const std::string ansiName = AnsiFromUtf8(name);
        WriteWholeFile(folder.File(ansiName), SnapshotOf(saved));
        MoveIconsAway(desktop);
        ASSERT_NE(PlacementsOf(desktop.Icons()), PlacementsOf(saved));
        EXPECT_EQ(RunLokari(ansiName, folder.Path()), 0);
        EXPECT_EQ(PlacementsOf(desktop.Icons()), PlacementsOf(saved));
    }
}

// Korean lies outside code page 932: only the wide command line carries the path.
TEST(LokariJapanese, SnapshotUnderAKoreanFolderRestores) {
    ASSERT_EQ(GetACP(), 932u);
    StandinDesktop desktop("--icons 12");
    ASSERT_TRUE(desktop.Ready());
    const std::vector<DesktopIcon> saved = desktop.Icons();
    TempFolder folder;
    // 한국어 폴더\저장.dat, which the test support's ANSI clean-up cannot name.
    const std::wstring koreanFolder = WideFromAnsi(folder.Path()) + L"\\\uD55C\uAD6D\uC5B4 \uD3F4\uB354";
    const std::wstring snapshot = koreanFolder + L"\\\uC800\uC7A5.dat";
    const std::shared_ptr<void> cleanUp(nullptr, [&](void*) {
        DeleteFileW(snapshot.c_str());
        RemoveDirectoryW(koreanFolder.c_str());
    });
    ASSERT_TRUE(CreateDirectoryW(koreanFolder.c_str(), nullptr));
    std::FILE* file = _wfopen(snapshot.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    std::fputs(SnapshotOf(saved).c_str(), file);
    std::fclose(file);
    MoveIconsAway(desktop);
    ASSERT_NE(PlacementsOf(desktop.Icons()), PlacementsOf(saved));
    EXPECT_EQ(RunLokariWide(L"\"" + snapshot + L"\"", folder.Path()), 0);
    EXPECT_EQ(PlacementsOf(desktop.Icons()), PlacementsOf(saved));
}

// Started by an unquoted path through a folder named 表: the whole path is the
// program's name, and with nothing after it lokari saves.
TEST(LokariJapanese, UnquotedProgramPathSaves) {
    ASSERT_EQ(GetACP(), 932u);
    StandinDesktop desktop("--icons 12");
    ASSERT_TRUE(desktop.Ready());
    TempFolder folder;
    const std::string programFolder = folder.File(AnsiFromUtf8("表"));
    ASSERT_EQ(programFolder.find(' '), std::string::npos) << "the path must hold no blank to go unquoted";
    ASSERT_TRUE(CreateDirectoryA(programFolder.c_str(), nullptr));
    std::string commandLine = programFolder + "\\lokari.exe";
    ASSERT_TRUE(CopyFileA(LokariExe().c_str(), commandLine.c_str(), TRUE));
    TempFolder snapshots;

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               snapshots.Path().c_str(), &startup, &started));
    CloseHandle(started.hThread);
    DWORD exitCode = 1;
    if (WaitForSingleObject(started.hProcess, kLokariTimeoutMs) != WAIT_OBJECT_0) TerminateProcess(started.hProcess, 1);
    GetExitCodeProcess(started.hProcess, &exitCode);
    CloseHandle(started.hProcess);
    EXPECT_EQ(exitCode, 0u);
    const std::vector<std::string> names = snapshots.FileNames();
    ASSERT_EQ(names.size(), 1u) << "no save";
    EXPECT_EQ(ReadWholeFile(snapshots.File(names[0])), SavedSnapshotOf(desktop.Icons()));
}

}  // namespace
