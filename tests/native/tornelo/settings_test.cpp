#include "settings/settings.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <clocale>
#include <string>

#include "engine_fixture.h"
#include "settings/settings_line.h"
#include "temp_dir.h"

// Found by the assertions through the global namespace, as Settings lives there.
static bool operator==(const Settings& a, const Settings& b) {
    return a.innerRadius == b.innerRadius && a.outerRadius == b.outerRadius && a.turns == b.turns &&
           a.spacingRatio == b.spacingRatio && a.updateInterval == b.updateInterval &&
           a.revolutionTime == b.revolutionTime && a.maxIcons == b.maxIcons && a.blackHoleIcon == b.blackHoleIcon;
}

namespace {

constexpr int kHeight = 740;

std::string LineOf(const Settings& s) {
    char line[256];
    FormatSettingsLine(line, sizeof line, s);
    return line;
}

class SettingsLineTest : public EngineTest {
protected:
    Settings Read(const std::string& line) {
        Settings s = DefaultSettings(kHeight);
        ApplySettingsLine(s, line.c_str(), kHeight);
        return s;
    }
};

TEST_F(SettingsLineTest, DefaultsWriteTheDocumentedLine) {
    EXPECT_EQ(LineOf(DefaultSettings(kHeight)), "20,320,3.000,1.000,0.200,180,500,1");
    EXPECT_EQ(DefaultSettings(741).outerRadius, 320);
}

TEST_F(SettingsLineTest, ACommaDecimalLocaleStillWritesPoints) {
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "scripts/setup generates de_DE.UTF-8";
    const std::string mark = std::localeconv()->decimal_point;
    const std::string line = LineOf(DefaultSettings(kHeight));
    std::setlocale(LC_NUMERIC, before.c_str());
    EXPECT_EQ(mark, ",");
    EXPECT_EQ(line, "20,320,3.000,1.000,0.200,180,500,1");
}

struct LineCase {
    const char* line;
    const char* expected;  // the settings afterwards, as the file would hold them
};

TEST_F(SettingsLineTest, FieldsAreReadConvertedAndBounded) {
    view.count = 12;
    const std::string over255 = std::string(251, ' ') + "33,44";  // "33,4" is seen, then the limit
    const std::string digits300 = std::string(300, '9');
    const std::string hugeNegative = "7,-" + std::string(200, '9');
    const LineCase cases[] = {
        {"0,0,0,0,0,0,0,0", "20,320,3.000,1.000,0.200,180,500,1"},
        {"just text", "20,320,3.000,1.000,0.200,180,500,1"},
        {"", "20,320,3.000,1.000,0.200,180,500,1"},
        {"5000", "555,320,3.000,1.000,0.200,180,500,1"},
        {"-3,-3", "1,1,3.000,1.000,0.200,180,500,1"},
        {"1,1,-25,0.0004,0.0001,-40000,900,99", "1,1,-20.000,0.001,0.001,-30000,800,12"},
        {"1,1,25,5000,40000,40000,-1,-1", "1,1,20.000,1000.000,30000.000,30000,1,1"},
        {"30,200", "30,200,3.000,1.000,0.200,180,500,1"},
        {"30,,200", "30,200,3.000,1.000,0.200,180,500,1"},
        {",,,30,,,,200,,", "30,200,3.000,1.000,0.200,180,500,1"},
        {"30,200\n", "30,200,3.000,1.000,0.200,180,500,1"},
        {"30,200\r\n", "30,200,3.000,1.000,0.200,180,500,1"},
        {"30\n,200", "30,320,3.000,1.000,0.200,180,500,1"},
        {"12abc,3.9,2.5x,2e0,.5,90s,7 icons,4", "12,3,2.500,2.000,0.500,90,7,4"},
        {"1,2,inf,nan,0x1p3,1,2,3", "1,2,3.000,1.000,0.200,1,2,3"},
        {"1,2,1e999,-1e999,1e-999", "1,2,20.000,0.001,0.200,180,500,1"},
        {over255.c_str(), "33,4,3.000,1.000,0.200,180,500,1"},
        {digits300.c_str(), "555,320,3.000,1.000,0.200,180,500,1"},
        {hugeNegative.c_str(), "7,1,3.000,1.000,0.200,180,500,1"},
        {"1,2,3,4,5,6,7,8,9,10", "1,2,3.000,4.000,5.000,6,7,8"},
    };
    for (const LineCase& c : cases) EXPECT_EQ(LineOf(Read(c.line)), c.expected) << "line: " << c.line;
}

TEST_F(SettingsLineTest, BlackHoleBoundAsksTheViewOnlyWhenGiven) {
    view.count = 0;
    EXPECT_EQ(Read("1,1,1,1,1,1,1").blackHoleIcon, 1);
    EXPECT_EQ(Read("1,1,1,1,1,1,1,0").blackHoleIcon, 1);
    EXPECT_EQ(view.countQueries, 0);
    // No icons yet, or no answer: kept as read, and bounded by each count
    // that follows, up as the desktop fills at logon, and down.
    EXPECT_EQ(Read("1,1,1,1,1,1,1,5").blackHoleIcon, 5);
    view.countAnswered = false;
    runningSettings = DefaultSettings(kHeight);
    ApplySettingsLine(runningSettings, "1,1,1,1,1,1,1,5", kHeight, &runningGiven);
    EXPECT_EQ(runningSettings.blackHoleIcon, 5);
    view.countAnswered = true;
    const struct { int count; int bound; } counts[] = {{3, 3}, {0, 3}, {10, 5}, {2, 2}};
    for (const auto& c : counts) {
        view.count = c.count;
        RefreshIconCount();
        EXPECT_EQ(runningSettings.blackHoleIcon, c.bound) << c.count << " icons";
    }
    EXPECT_EQ(Read("1,1,1,1,1,1,1,5").blackHoleIcon, 2);
    EXPECT_EQ(view.countQueries, 7);
}

TEST_F(SettingsLineTest, RadiusBoundUsesTheTruncatedThreeQuarters) {
    Settings s = DefaultSettings(kHeight);
    ApplySettingsLine(s, "9999,9999", 1023);
    EXPECT_EQ(s.innerRadius, 767);
    ApplySettingsLine(s, "9999,9999", 0);
    EXPECT_EQ(s.outerRadius, 0);  // lower bound first, then the upper
}

TEST_F(SettingsLineTest, AnyLineKeepsEveryFieldWithinItsBounds) {
    view.count = 9;
    const char alphabet[] = "0123456789+-.eE,, \t\r\nxinfaNA";
    unsigned seed = 12345;
    for (int round = 0; round < 20000; ++round) {
        char line[300];
        seed = seed * 1103515245u + 12345u;
        const int length = static_cast<int>((seed >> 8) % 299);
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            line[i] = alphabet[(seed >> 16) % (sizeof alphabet - 1)];
        }
        line[length] = '\0';
        Settings s = DefaultSettings(kHeight);
        ApplySettingsLine(s, line, kHeight);
        SCOPED_TRACE(line);
        ASSERT_TRUE(s.innerRadius >= 1 && s.innerRadius <= 555 && s.outerRadius >= 1 && s.outerRadius <= 555);
        ASSERT_TRUE(s.turns >= -20.0 && s.turns <= 20.0 && s.turns != 0.0);
        ASSERT_TRUE(s.spacingRatio >= 0.001 && s.spacingRatio <= 1000.0);
        ASSERT_TRUE(s.updateInterval >= 0.001 && s.updateInterval <= 30000.0);
        ASSERT_TRUE(s.revolutionTime >= -30000 && s.revolutionTime <= 30000 && s.revolutionTime != 0);
        ASSERT_TRUE(s.maxIcons >= 1 && s.maxIcons <= 800 && s.blackHoleIcon >= 1 && s.blackHoleIcon <= 9);
    }
}

class SettingsFileTest : public EngineTest {
protected:
    TempWorkingDir dir;
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_TRUE(dir.ok());
        screenHeight = kHeight;
        view.count = 20;
    }
};

TEST_F(SettingsFileTest, MissingOrEmptyFileLeavesTheTarget) {
    Settings s = DefaultSettings(kHeight);
    LoadSettings(s);
    EXPECT_EQ(s, DefaultSettings(kHeight));
    TempWorkingDir::Write("");
    LoadSettings(s);
    EXPECT_EQ(s, DefaultSettings(kHeight));
}

TEST_F(SettingsFileTest, OnlyTheFirstLineIsRead) {
    TempWorkingDir::Write("40,300\r\n50,400,2,2,2,2,2,2\n");
    Settings s = DefaultSettings(kHeight);
    LoadSettings(s);
    EXPECT_EQ(LineOf(s), "40,300,3.000,1.000,0.200,180,500,1");
}

TEST_F(SettingsFileTest, SaveWritesOneUnterminatedLineAndRoundsOnReload) {
    Settings s = DefaultSettings(kHeight);
    s.turns = -2.71828;
    s.blackHoleIcon = 7;
    TempWorkingDir::Write("old content that is much longer than the new line, to see truncation");
    SaveSettings(s);
    EXPECT_EQ(TempWorkingDir::Read(), "20,320,-2.718,1.000,0.200,180,500,7");
    Settings back = DefaultSettings(kHeight);
    LoadSettings(back);
    EXPECT_EQ(back.turns, -2.718);
    EXPECT_EQ(back.blackHoleIcon, 7);
}

TEST_F(SettingsFileTest, UnwritableFileIsSkippedSilently) {
    ASSERT_EQ(mkdir("tornelo.ini", 0700), 0);  // a folder in the way
    SaveSettings(DefaultSettings(kHeight));
    Settings s = DefaultSettings(kHeight);
    LoadSettings(s);
    EXPECT_EQ(s, DefaultSettings(kHeight));
    rmdir("tornelo.ini");
}

}  // namespace
