#include "shell/mode_control.h"

#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "motion/motion.h"
#include "shell/end_control.h"
#include "settings/settings_dialog_rules.h"
#include "temp_dir.h"

namespace {

constexpr int kNotice = -1;
constexpr int kDestroyed = -2;

const std::vector<std::string> kStart = {"open mayimmayim.mid type sequencer alias mayimmayim",
                                         "set mayimmayim time format song pointer", "play mayimmayim NOTIFY!"};
const std::vector<std::string> kStop = {"stop mayimmayim", "close mayimmayim"};
const std::vector<std::string> kClose = {"close mayimmayim"};
const std::vector<std::string> kCloseStart = {"close mayimmayim", kStart[0], kStart[1], kStart[2]};
const std::vector<std::string> kNone = {};

struct Transition {
    Mode from;
    bool repeat;
    int event;
    Mode to;
    std::vector<std::string> music;
    bool reloaded;     // LoadSettings and layoutDirty
    bool holeReset;
    bool phaseZeroed;
};

class ModeMachineTest : public EngineTest {
protected:
    TempWorkingDir dir;
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_TRUE(dir.ok());
        TempWorkingDir::Write("33,44");
    }
};

TEST_F(ModeMachineTest, EveryTransition) {
    using M = Mode;
    const Transition table[] = {
        {M::Normal, false, kCommandMayimMayim, M::MayimMayim, kStart, false, false, false},
        {M::Normal, false, kCommandBlackHole, M::BlackHole, kNone, false, true, false},
        {M::MayimMayim, false, kCommandNormal, M::Normal, kStop, true, false, true},
        {M::MayimMayim, false, kCommandBlackHole, M::BlackHole, kStop, false, true, true},
        {M::MayimMayim, true, kNotice, M::MayimMayim, kCloseStart, false, false, true},
        {M::MayimMayim, false, kNotice, M::Normal, kClose, true, false, true},
        {M::MayimMayim, false, kDestroyed, M::Normal, kStop, false, false, false},
        {M::BlackHole, false, kCommandNormal, M::Normal, kNone, true, true, false},
        {M::BlackHole, false, kCommandMayimMayim, M::MayimMayim, kStart, false, true, false},
        {M::BlackHole, false, kDestroyed, M::BlackHole, kNone, false, true, false},
        {M::Normal, false, kNotice, M::Normal, kClose, true, false, true},   // late notice
        {M::BlackHole, true, kNotice, M::BlackHole, kClose, true, false, true},
        {M::Normal, false, kDestroyed, M::Normal, kNone, false, false, false},
        {M::Normal, false, kCommandNormal, M::Normal, kNone, false, false, false},  // already current
        {M::MayimMayim, false, kCommandMayimMayim, M::MayimMayim, kNone, false, false, false},
        {M::BlackHole, false, kCommandBlackHole, M::BlackHole, kNone, false, false, false},
        {M::Normal, false, kCommandSettings, M::Normal, kNone, false, false, false},  // not a mode command
        {M::Normal, false, kCommandExit, M::Normal, kNone, false, false, false},
    };
    for (const Transition& t : table) {
        Restart();
        appMode.mode = t.from;
        appMode.repeat = t.repeat;
        appMode.dancePhase = 4;
        blackHole = {BlackHoleStage::Trembling, 2.5, 7, 8};
        if (t.event == kNotice) OnMciNotify();
        else if (t.event == kDestroyed) OnMainWindowDestroyed();
        else CarryOutModeCommand(t.event);
        SCOPED_TRACE(testing::Message() << "from " << static_cast<int>(t.from) << " event " << t.event);
        EXPECT_EQ(appMode.mode, t.to);
        EXPECT_EQ(music.commands, t.music);
        EXPECT_EQ(runningSettings.innerRadius, t.reloaded ? 33 : 20);
        EXPECT_EQ(appMode.layoutDirty, t.reloaded ? 1 : 0);
        EXPECT_EQ(blackHole.blackHoleStage, t.holeReset ? BlackHoleStage::Swallowing : BlackHoleStage::Trembling);
        EXPECT_EQ(blackHole.blackHoleElapsed, t.holeReset ? 0.0 : 2.5);
        EXPECT_EQ(blackHole.holeX, 7);
        EXPECT_EQ(appMode.dancePhase, t.phaseZeroed ? 0 : 4);
        EXPECT_EQ(appMode.repeat, t.repeat ? 1 : 0);
    }
}

TEST_F(ModeMachineTest, RepeatFlipsInEveryMode) {
    for (Mode mode : {Mode::Normal, Mode::MayimMayim, Mode::BlackHole}) {
        appMode.mode = mode;
        CarryOutModeCommand(kCommandRepeat);
        EXPECT_EQ(appMode.repeat, 1);
        CarryOutModeCommand(kCommandRepeat);
        EXPECT_EQ(appMode.repeat, 0);
        EXPECT_EQ(appMode.mode, mode);
    }
    EXPECT_TRUE(music.commands.empty());
}

// The user's own values are those of start-up, then of the dialog's last Apply.
TEST_F(ModeMachineTest, WithoutAFileTheUsersValuesComeBack) {
    std::remove("tornelo.ini");
    Settings applied = runningSettings;
    applied.innerRadius = 33;
    HandOverAppliedSettings(applied);
    appMode.mode = Mode::MayimMayim;
    runningSettings.innerRadius = 320;
    runningSettings.revolutionTime = -180;
    CarryOutModeCommand(kCommandNormal);
    EXPECT_EQ(runningSettings.innerRadius, 33);
    EXPECT_EQ(runningSettings.revolutionTime, 180);
    EXPECT_EQ(appMode.layoutDirty, 1);
}

// Changes no message reports are looked for once a second.
TEST_F(ModeMachineTest, WorkAreaChangeOrSilentMoveMeasuresAgain) {
    const struct { const char* what; unsigned setting; bool moved; bool measured; } cases[] = {
        {"work area", 0x002F, false, true},        // SPI_SETWORKAREA in WinUser.h
        {"another setting", 0x0030, false, false},  // SPI_GETWORKAREA
        {"moved", 0, true, true},
        {"steady", 0, false, false},
    };
    for (const auto& c : cases) {
        Restart();
        view.display = DisplayMetrics{800, 560, 0, 0, 800};
        view.moved = c.moved;
        c.setting ? OnSystemSettingChanged(c.setting) : OnViewWatch();
        EXPECT_EQ(screenHeight, c.measured ? 560 : 740) << c.what;
        EXPECT_EQ(appMode.layoutDirty, c.measured ? 1 : 0) << c.what;
    }
}

TEST_F(ModeMachineTest, StartUpReadsTheFileLaysOutAndStartsTheTimer) {
    runningSettings = Settings{};
    userSettings = Settings{};
    view.count = 2;
    TempWorkingDir::Write("33,44,1,1,0.05");
    OnMainWindowCreated();
    EXPECT_EQ(runningSettings.innerRadius, 33);
    EXPECT_EQ(runningSettings.revolutionTime, 180);
    // The user's own values: the defaults with the file over them.
    EXPECT_EQ(userSettings.innerRadius, 33);
    EXPECT_EQ(userSettings.outerRadius, 44);
    EXPECT_EQ(userSettings.revolutionTime, 180);
    EXPECT_EQ(view.Items(), (std::vector<int>{0, 1}));
    EXPECT_EQ(view.moves[0], (Move{0, 512 + 33, 370}));
    EXPECT_EQ(timer.restarts, (std::vector<unsigned>{50}));
}

// Steps: W a wait on the shell begins, E it ends, a an end is asked for,
// t the message loop asks for a recorded one, d the end is under way. The
// answers of a and t in order: 1 carry it out now.
TEST(EndControlTest, AnEndDuringAWaitIsCarriedOutOnceAfterIt) {
    const struct { const char* what; const char* steps; const char* answers; } cases[] = {
        {"no wait: at once", "a", "1"},
        {"no end asked for", "WEt", "0"},
        {"after the last of nested waits", "WWatEtEt", "0001"},
        {"once", "WaEtt", "010"},
        {"not again once under way", "WaEdta", "000"},
    };
    for (const auto& c : cases) {
        EndControl control;
        std::string answers;
        for (const char* step = c.steps; *step; ++step) {
            switch (*step) {
                case 'W': control.WaitBegins(); break;
                case 'E': control.WaitEnds(); break;
                case 'a': answers += control.AskEnd() ? '1' : '0'; break;
                case 't': answers += control.TakePendingEnd() ? '1' : '0'; break;
                case 'd': control.Ending(); break;
            }
        }
        EXPECT_EQ(answers, c.answers) << c.what;
    }
}

TEST_F(ModeMachineTest, SongPositionReadsTheReplyAsADecimalNumber) {
    const struct { const char* reply; double position; } cases[] = {
        {"123", 123.0}, {"  45.5\n", 45.5}, {"", 0.0}, {"nan", 0.0}, {"x12", 0.0},
    };
    for (const auto& c : cases) {
        music.positions = {c.reply};
        EXPECT_EQ(music.SongPosition(), c.position) << c.reply;
    }
    music.answerPositions = false;
    EXPECT_EQ(music.SongPosition(), 0.0);
}

}  // namespace
