// tornelo-sim as a user runs it: its traces, its pictures and its song clock.
#include <gtest/gtest.h>

#include <gif_lib.h>
#include <unistd.h>

#include <cstdio>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "motion/icon_ring.h"
#include "motion/platform_seam.h"
#include "settings/settings.h"
#include "settings/settings_line.h"
#include "shell/app_state.h"
#include "shell/mode_control.h"
#include "run_sim.h"
#include "sim_platform.h"

namespace {

struct Move {
    long tick;
    int item;
    int x;
    int y;
};

std::vector<Move> ParseCsv(const std::string& text) {
    std::vector<Move> moves;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ("tick,item,x,y", line);
    while (std::getline(lines, line)) {
        Move move{};
        EXPECT_EQ(4, std::sscanf(line.c_str(), "%ld,%d,%d,%d", &move.tick, &move.item, &move.x, &move.y)) << line;
        moves.push_back(move);
    }
    return moves;
}

std::vector<Move> MovesOfTick(const std::vector<Move>& moves, long tick) {
    std::vector<Move> selected;
    for (const Move& move : moves) {
        if (move.tick == tick) selected.push_back(move);
    }
    return selected;
}

TEST(SimTrace, SameArgumentsGiveTheSameBytes) {
    const std::vector<std::vector<std::string>> runs = {
        {"--screen", "1024x740", "--icons", "9", "--csv", "--ticks", "40"},
        {"--screen", "800x600", "--icons", "6", "--mode", "dance", "--tempo", "300", "--csv", "--ticks", "60"},
        {"--screen", "1024x740", "--icons", "5", "--mode", "blackhole", "--settings", "20,200,1,1,0.2,4,500,2",
         "--seed", "99", "--csv", "--ticks", "80"},
    };
    for (const auto& arguments : runs) {
        const SimProcessResult first = RunSimProcess(arguments);
        const SimProcessResult second = RunSimProcess(arguments);
        ASSERT_TRUE(first.finished && second.finished);
        EXPECT_EQ(0, first.exitCode);
        EXPECT_GT(first.out.size(), 100u);
        EXPECT_TRUE(first.out == second.out) << arguments[3];
    }
}

// The black hole trembles by the random numbers: the seed must reach them.
TEST(SimTrace, TheSeedDrivesTheRandomNumbers) {
    std::vector<std::string> arguments = {"--screen", "1024x740", "--icons", "3", "--mode", "blackhole",
                                          "--settings", "20,200,1,1,0.2,2,500,1", "--csv", "--ticks", "30", "--seed"};
    arguments.push_back("1");
    const SimProcessResult seedOne = RunSimProcess(arguments);
    arguments.back() = "2";
    const SimProcessResult seedTwo = RunSimProcess(arguments);
    ASSERT_TRUE(seedOne.finished && seedTwo.finished);
    EXPECT_FALSE(seedOne.out == seedTwo.out);
}

struct LayoutCase {
    const char* screen;
    int width, height;
    int icons;
    const char* settingsLine;  // nullptr: no settings file
};

void PrintTo(const LayoutCase& c, std::ostream* out) {
    *out << c.screen << ", " << c.icons << " icons, settings " << (c.settingsLine ? c.settingsLine : "none");
}

class SimInitialLayout : public ::testing::TestWithParam<LayoutCase> {
protected:
    void TearDown() override {
        ResetEngine();
        ResetPlatform();
    }
};

// Tick 0 must be exactly the engine's own start-up spiral, item i on slot i.
TEST_P(SimInitialLayout, TickZeroIsTheEnginesInitialSpiral) {
    const LayoutCase& c = GetParam();
    std::vector<std::string> arguments = {"--screen", c.screen, "--icons", std::to_string(c.icons), "--csv", "--ticks", "1"};
    if (c.settingsLine) {
        arguments.push_back("--settings");
        arguments.push_back(c.settingsLine);
    }
    const SimProcessResult run = RunSimProcess(arguments);
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(0, run.exitCode);
    const std::vector<Move> tickZero = MovesOfTick(ParseCsv(run.out), 0);

    VirtualDesktop desktop(c.icons, c.height);
    ResetEngine();
    platform.view = &desktop;
    screenWidth = c.width;
    screenHeight = c.height;
    runningSettings = DefaultSettings(c.height);
    if (c.settingsLine) ApplySettingsLine(runningSettings, c.settingsLine, c.height);
    RefreshIconCount();
    ASSERT_EQ(static_cast<size_t>(iconRing.iconCount), tickZero.size());
    for (int i = 0; i < iconRing.iconCount; ++i) {
        const SlotPolar slot = InitialSpiralSlot(i);
        iconRing.slotAngle[i] = slot.angle;
        iconRing.slotRadius[i] = slot.radius;
        const ScreenPoint expected = SlotPosition(i);
        EXPECT_EQ(i, tickZero[static_cast<size_t>(i)].item);
        EXPECT_EQ(expected.x, tickZero[static_cast<size_t>(i)].x) << "slot " << i;
        EXPECT_EQ(expected.y, tickZero[static_cast<size_t>(i)].y) << "slot " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, SimInitialLayout,
                         ::testing::Values(LayoutCase{"1024x740", 1024, 740, 12, nullptr},
                                           LayoutCase{"1023x767", 1023, 767, 30, "40,300,-2.5,3,0.1,60,500,1"},
                                           LayoutCase{"640x480", 640, 480, 8, "10,150,1,0.5,0.2,30,5,1"},
                                           LayoutCase{"1920x1040", 1920, 1040, 1, nullptr}));

struct GifCase {
    long ticks;
    int every;
    double scale;
    int expectedFrames;  // ticks 0, every, 2 every, ... up to ticks
    int expectedWidth, expectedHeight;
};

void PrintTo(const GifCase& c, std::ostream* out) {
    *out << c.ticks << " ticks, every " << c.every << ", scale " << c.scale;
}

class SimGif : public ::testing::TestWithParam<GifCase> {};

TEST_P(SimGif, GiflibReadsBackEveryKeptTick) {
    const GifCase& c = GetParam();
    char path[] = "/tmp/tornelo-sim-test-XXXXXX.gif";
    const int descriptor = mkstemps(path, 4);
    ASSERT_GE(descriptor, 0);
    close(descriptor);
    char scale[32];
    std::snprintf(scale, sizeof scale, "%g", c.scale);
    const SimProcessResult run = RunSimProcess({"--screen", "800x600", "--icons", "7", "--mode", "dance", "--tempo", "200",
                                                "--ticks", std::to_string(c.ticks), "--every", std::to_string(c.every),
                                                "--scale", scale, "--gif", path});
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(0, run.exitCode);

    int error = 0;
    GifFileType* gif = DGifOpenFileName(path, &error);
    ASSERT_NE(nullptr, gif) << GifErrorString(error);
    EXPECT_EQ(GIF_OK, DGifSlurp(gif)) << GifErrorString(gif->Error);
    EXPECT_EQ(c.expectedFrames, gif->ImageCount);
    EXPECT_EQ(c.expectedWidth, gif->SWidth);
    EXPECT_EQ(c.expectedHeight, gif->SHeight);
    GraphicsControlBlock control{};
    ASSERT_EQ(GIF_OK, DGifSavedExtensionToGCB(gif, 0, &control));
    EXPECT_EQ(20 * c.every, control.DelayTime) << "a tick is 0.2 s, 20 hundredths";
    DGifCloseFile(gif, &error);
    unlink(path);
}

INSTANTIATE_TEST_SUITE_P(Frames, SimGif,
                         ::testing::Values(GifCase{12, 1, 1.0, 13, 800, 600}, GifCase{12, 4, 0.5, 4, 400, 300},
                                           GifCase{10, 3, 0.25, 4, 200, 150}, GifCase{0, 1, 0.5, 1, 400, 300}));

// The summary line: "... plays P, final mode M, dance phase D".
struct SummaryValues {
    long plays;
    int mode;
    int phase;
};

SummaryValues ReadSummary(const std::string& out) {
    SummaryValues values{-1, -1, -1};
    const size_t at = out.find("plays ");
    if (at != std::string::npos) {
        std::sscanf(out.c_str() + at, "plays %ld, final mode %d, dance phase %d", &values.plays, &values.mode, &values.phase);
    }
    return values;
}

struct SongCase {
    const char* name;
    std::vector<std::string> arguments;
    long plays;
    int mode;  // 0 Normal, 1 MayimMayim
    int phase;
};

void PrintTo(const SongCase& c, std::ostream* out) { *out << c.name; }

class SimSong : public ::testing::TestWithParam<SongCase> {};

// The dance ends when the song does: by the completion notice, like the
// sequencer's, which brings the program back to Normal or plays again.
TEST_P(SimSong, TheSongsEndDeliversTheCompletionNotice) {
    const SongCase& c = GetParam();
    std::vector<std::string> arguments = {"--screen", "1024x740", "--icons", "6", "--mode", "dance"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const SimProcessResult run = RunSimProcess(arguments);
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(0, run.exitCode) << run.out;
    const SummaryValues summary = ReadSummary(run.out);
    EXPECT_EQ(c.plays, summary.plays) << run.out;
    EXPECT_EQ(c.mode, summary.mode) << run.out;
    EXPECT_EQ(c.phase, summary.phase) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Plays, SimSong,
    ::testing::Values(
        // Positions run out after three ticks: the fourth tick is Normal.
        SongCase{"ListEnds", {"--song", "1,34,50", "--ticks", "6"}, 1, 0, 0},
        SongCase{"ListStillPlaying", {"--song", "1,34,50,66,82,98", "--ticks", "5"}, 1, 1, 5},
        SongCase{"EndPosition", {"--song", "1,34,50,66,82", "--song-end", "60", "--ticks", "5"}, 1, 0, 0},
        // Each play reports 1 then 34 and ends before its third tick.
        SongCase{"Repeat", {"--song", "1,34", "--repeat", "--ticks", "6"}, 3, 1, 2},
        // 132 beats a minute, 0.2 s a tick: 1.76 sixteenths a tick, 288 in 164 ticks.
        SongCase{"TuneBeforeItsEnd", {"--tempo", "132", "--ticks", "163"}, 1, 1, 8},
        SongCase{"TuneAtItsEnd", {"--tempo", "132", "--ticks", "164"}, 1, 0, 0},
        SongCase{"DefaultTempoIsTheTunes", {"--ticks", "164"}, 1, 0, 0}),
    [](const ::testing::TestParamInfo<SongCase>& song) { return std::string(song.param.name); });

TEST(SimCommandLine, RefusesMistakesWithUsage) {
    const std::vector<std::vector<std::string>> mistakes = {
        {"--screen", "10x10"},          {"--screen", "1024"},       {"--icons", "-1"},
        {"--mode", "spin"},             {"--csv", "--gif", "x.gif"}, {"--song", "1,2", "--tempo", "120"},
        {"--song", "1,,2"},             {"--every", "0"},           {"--scale", "nan"},
        {"--ticks"},                    {"--bogus"},
    };
    for (const auto& arguments : mistakes) {
        const SimProcessResult run = RunSimProcess(arguments);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(2, run.exitCode) << arguments[0];
        EXPECT_TRUE(run.out.empty());
    }
}

}  // namespace
