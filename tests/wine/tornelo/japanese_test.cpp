// tornelo.exe in a Japanese session (ANSI code page 932): the texts of its
// menu and dialogs as another program reads them, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "release_version.h"
#include "tornelo_fixture.h"

using namespace tornelo_test;

namespace {

// The CP932 bytes of the menu items, position by position (separators empty).
const char* const kMenuTexts[kMenuItemCount] = {
    "\x92\xca\x8f\xed\xd3\xb0\xc4\xde",  // 通常ﾓｰﾄﾞ
    "\xcf\xb2\xd1\xcf\xb2\xd1",          // ﾏｲﾑﾏｲﾑ
    "\xcc\xde\xd7\xaf\xb8\xce\xb0\xd9",  // ﾌﾞﾗｯｸﾎｰﾙ
    "",
    "\xd8\xcb\xdf\x81\x5b\xc4",  // ﾘﾋﾟーﾄ: the long-vowel mark alone is full-width
    "",
    "\x90\xdd\x92\xe8",                                              // 設定
    "tornelo\x82\xc9\x82\xc2\x82\xa2\x82\xc4",                       // torneloについて
    "\x8f\x49\x97\xb9",                                              // 終了
};
const char* const kSettingsCaption = "tornelo \x90\xdd\x92\xe8";            // tornelo 設定
const char* const kAboutCaption = "tornelo\x82\xc9\x82\xc2\x82\xa2\x82\xc4";  // torneloについて

// UTF-8 source text in the session's ANSI code page.
std::string Ansi(const char* utf8) {
    wchar_t wide[512] = {};
    if (MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 512) == 0) return "<not convertible>";
    char ansi[1024] = {};
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr) == 0) return "<not convertible>";
    return ansi;
}

std::string Hex(const std::string& bytes) {
    std::string text;
    char piece[4];
    for (unsigned char byte : bytes) {
        std::snprintf(piece, sizeof piece, "%02x ", byte);
        text += piece;
    }
    return text;
}

std::string CaptionOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Texts of a dialog's static texts and buttons, in the order of its controls.
struct ControlTexts {
    std::vector<std::string> texts;
};

BOOL CALLBACK CollectControlText(HWND control, LPARAM textsAddress) {
    auto* collected = reinterpret_cast<ControlTexts*>(textsAddress);
    char className[32] = {};
    GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "Static") != 0 && lstrcmpiA(className, "Button") != 0) return TRUE;
    char text[256] = {};
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    text[sizeof text - 1] = '\0';
    collected->texts.push_back(text);
    return TRUE;
}

std::vector<std::string> StaticAndButtonTexts(HWND dialog) {
    ControlTexts collected;
    EnumChildWindows(dialog, CollectControlText, reinterpret_cast<LPARAM>(&collected));
    return collected.texts;
}

class JapaneseSessionTest : public TorneloOnStandinTest {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 932u) << "this test needs a session in the Japanese locale";
        StartWith("20,200,2.000,1.000,30000.000,180,500,1", 4);
    }
};

}  // namespace

TEST_F(JapaneseSessionTest, TheMenuItemTextsAreTheExactCp932Bytes) {
    HWND menu = PressTrayIcon(*tornelo_, DefaultPointer());
    ASSERT_NE(menu, nullptr);
    MenuSnapshot snapshot = ReadOpenMenu(menu);
    DismissMenu(*tornelo_, menu);
    ASSERT_TRUE(snapshot.readable) << "the open menu cannot be read from outside";
    for (int position = 0; position < kMenuItemCount; ++position) {
        EXPECT_EQ(Hex(snapshot.texts[position]), Hex(kMenuTexts[position])) << "menu position " << position;
    }
}

TEST_F(JapaneseSessionTest, TheDialogsCarryTheirJapaneseTexts) {
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kAboutItem, DefaultPointer()));
    HWND about = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (about = FindAboutBox(tornelo_->ProcessId())) != nullptr; }, 5000));
    EXPECT_EQ(Hex(CaptionOf(about)), Hex(kAboutCaption));
    std::vector<std::string> aboutTexts = StaticAndButtonTexts(about);
    ASSERT_EQ(aboutTexts.size(), 3u);
    EXPECT_EQ(aboutTexts[0], TORNELO_ABOUT_TEXT);
    EXPECT_FALSE(aboutTexts[1].empty()) << "the credit line is empty";
    EXPECT_EQ(aboutTexts[2], "OK");

    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kSettingsItem, DefaultPointer()));
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindSettingsDialog(tornelo_->ProcessId())) != nullptr; }, 5000));
    EXPECT_EQ(Hex(CaptionOf(dialog)), Hex(kSettingsCaption));

    const char* const expectedUtf8[] = {
        "◆アイコンの回転半径",
        "(同じ数にすると円形に回ります)",
        "内側",
        "px",
        "外側",
        "px",
        "◆渦の向き",
        "左向き",
        "右向き",
        "◆渦の巻き数(小数OK)",
        "(円形に回す場合は1として下さい)",
        "◆一番内側で隣り合うアイコンの間隔と、一番外側で隣り合うアイコンの間隔の比",
        "(小数もOK。通常は1で大丈夫だと思いますが、気になる場合は0.5や2など色々変えてみてください)",
        "◆更新間隔(小数OK)",
        "(0.02～0.2あたりが適当？)",
        "秒",
        "◆回転の方向",
        "時計",
        "反時計",
        "◆１周にかかる時間",
        "秒",
        "◆回すアイコン数(最大値)",
        "◆何番目のアイコンをブラックホールにしますか？",
        "番目",
        "OK",
        "適用",
        "ｷｬﾝｾﾙ",
    };
    std::vector<std::string> texts = StaticAndButtonTexts(dialog);
    ASSERT_EQ(texts.size(), sizeof expectedUtf8 / sizeof expectedUtf8[0]);
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(Hex(texts[i]), Hex(Ansi(expectedUtf8[i]))) << "control text " << i << ", expected " << expectedUtf8[i];
    }
}

struct PlacementCase {
    const char* name;
    POINT pointer;
};

class SettingsDialogPlacementTest : public JapaneseSessionTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(SettingsDialogPlacementTest, ItsLowerRightCornerSitsJustPastThePointerWithinTheScreen) {
    POINT pointer = GetParam().pointer;
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kSettingsItem, pointer));
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindSettingsDialog(tornelo_->ProcessId())) != nullptr; }, 5000));
    EXPECT_EQ(CheckSettingsDialogPlacement(dialog, pointer), "");
}

INSTANTIATE_TEST_SUITE_P(Pointers, SettingsDialogPlacementTest,
                         ::testing::Values(PlacementCase{"near_bottom_right", {1000, 700}},
                                           PlacementCase{"near_top_left", {100, 200}},
                                           PlacementCase{"middle", {600, 500}}),
                         [](const ::testing::TestParamInfo<PlacementCase>& placement) { return placement.param.name; });
