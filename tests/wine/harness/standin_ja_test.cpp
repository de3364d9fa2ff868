// Japanese labels in a session with the Japanese locale: the list-view
// holds them in code page 932, and both read-backs return them intact.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness_helpers.h"
#include "wine_test_support.h"

namespace {

const std::vector<std::string> kJapaneseLabels = {
    "\xE3\x81\x94\xE3\x81\xBF\xE7\xAE\xB1",                                       // ごみ箱
    "\xE3\x83\x9E\xE3\x82\xA4 \xE3\x82\xB3\xE3\x83\xB3\xE3\x83\x94\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xBF",  // マイ コンピュータ
    "\xEF\xBE\x8F\xEF\xBD\xB2\xEF\xBE\x91\xEF\xBE\x8F\xEF\xBD\xB2\xEF\xBE\x91",   // ﾏｲﾑﾏｲﾑ (half-width)
    "\xE8\xA1\xA8\xE7\xA4\xBA",  // 表示: its second byte in 932 is a backslash
    "mixed \xE6\x97\xA5\xE6\x9C\xAC 2",                                            // mixed 日本 2
};

TEST(JapaneseSession, AnsiCodePageIs932) { EXPECT_EQ(GetACP(), 932u); }

TEST(JapaneseSession, LabelsComeBackInCodePage932) {
    TempFolder folder;
    std::string text;
    for (const std::string& label : kJapaneseLabels) text += label + "\n";
    ASSERT_TRUE(WriteTextFile(folder.File("labels.txt"), text));

    StandinDesktop desktop("--labels \"" + folder.File("labels.txt") + "\"");
    std::vector<DesktopIcon> icons = desktop.Icons();
    ASSERT_EQ(icons.size(), kJapaneseLabels.size());
    for (size_t i = 0; i < icons.size(); ++i) {
        std::string expected = Utf8ToCodePage(kJapaneseLabels[i], 932);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(icons[i].label, expected) << i;
    }

    std::vector<DesktopIcon> dumped;
    ASSERT_TRUE(DumpIcons(&dumped));
    ASSERT_EQ(dumped.size(), kJapaneseLabels.size());
    for (size_t i = 0; i < dumped.size(); ++i) EXPECT_EQ(dumped[i].label, kJapaneseLabels[i]) << i;
}

TEST(JapaneseSession, AddedLabelInCodePage932StaysIntact) {
    StandinDesktop desktop("--icons 2");
    const std::string label = Utf8ToCodePage(kJapaneseLabels[0], 932);
    desktop.AddIcon(label);
    std::vector<DesktopIcon> icons = desktop.Icons();
    ASSERT_EQ(icons.size(), 3u);
    EXPECT_EQ(icons[2].label, label);
}

}  // namespace
