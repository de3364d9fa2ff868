// lokari with Japanese labels and paths, in a session whose ANSI code page
// is 932: labels travel as the shell's ANSI bytes, including trail bytes
// that look like a backslash.
#include "lokari_wine_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

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
    EXPECT_EQ(ReadWholeFile(folder.File(names[0])), SnapshotOf(saved));

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

}  // namespace
