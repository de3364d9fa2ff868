// The simulator's stand-ins for the C runtime and the sequencer.
#include <gtest/gtest.h>

#include <cstring>

#include "msvcrt_random.h"
#include "sim_platform.h"

namespace {

TEST(MsvcrtRandom, GivesTheCRuntimesFirstNumbersForSeedOne) {
    MsvcrtRandom random(1);
    for (int expected : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}) {
        EXPECT_EQ(expected, random.Next());
    }
}

TEST(MsvcrtRandom, StaysWithinRandMaxForAnySeed) {
    for (uint32_t seed : {0u, 2u, 12345u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        MsvcrtRandom random(seed);
        for (int i = 0; i < 1000; ++i) {
            const int value = random.Next();
            ASSERT_GE(value, 0);
            ASSERT_LE(value, 32767);
        }
    }
}

TEST(UnpackPosition, GivesBackSignedSixteenBitHalves) {
    EXPECT_EQ(-3, UnpackPosition(0x0005FFFDu).x);
    EXPECT_EQ(5, UnpackPosition(0x0005FFFDu).y);
    EXPECT_EQ(1074, UnpackPosition(0x00010432u).x);
    EXPECT_EQ(-32768, UnpackPosition(0x80000000u).y);
}

class Sequencer {
public:
    explicit Sequencer(const SongScript& script) : device(script) {}
    void Command(const char* text, bool notify = false) { device.Send(text, nullptr, 0, notify); }
    double Position() {
        char reply[64];
        std::memset(reply, 'x', sizeof reply);
        device.Send("status mayimmayim position", reply, sizeof reply, false);
        return reply[0] ? std::atof(reply) : -1.0;  // -1: no answer
    }
    void Start() {
        Command("open mayimmayim.mid type sequencer alias mayimmayim");
        Command("set mayimmayim time format song pointer");
        Command("play mayimmayim NOTIFY", true);
    }
    SongClockDevice device;
};

const SongScript kTempo132{true, 132.0, {}, 288.0};

TEST(SongClockDevice, CountsSixteenthsAtTheTempo) {
    Sequencer sequencer(kTempo132);
    sequencer.Start();
    EXPECT_EQ(0.0, sequencer.Position());
    sequencer.device.AdvanceClock(1000);  // 132 / 60 × 4 = 8.8 sixteenths a second
    EXPECT_EQ(8.0, sequencer.Position());
    sequencer.device.AdvanceClock(9000);
    EXPECT_EQ(88.0, sequencer.Position());
    EXPECT_FALSE(sequencer.device.TakeNotice());
}

TEST(SongClockDevice, PostsOneNoticeWhenTheSongEnds) {
    Sequencer sequencer(kTempo132);
    sequencer.Start();
    sequencer.device.AdvanceClock(32727);  // 287.9976 sixteenths
    EXPECT_TRUE(sequencer.device.IsPlaying());
    sequencer.device.AdvanceClock(1);
    EXPECT_FALSE(sequencer.device.IsPlaying());
    EXPECT_TRUE(sequencer.device.TakeNotice());
    EXPECT_FALSE(sequencer.device.TakeNotice());
    EXPECT_EQ(288.0, sequencer.Position()) << "an ended song stays at its end until closed";
    sequencer.Command("close mayimmayim");
    EXPECT_EQ(-1.0, sequencer.Position());
    EXPECT_FALSE(sequencer.device.TakeNotice());
}

TEST(SongClockDevice, AStoppedPlayStillPostsItsNotice) {
    Sequencer sequencer(kTempo132);
    sequencer.Start();
    sequencer.device.AdvanceClock(400);
    sequencer.Command("stop mayimmayim");
    sequencer.Command("close mayimmayim");
    EXPECT_TRUE(sequencer.device.TakeNotice());
    EXPECT_FALSE(sequencer.device.TakeNotice());
}

TEST(SongClockDevice, AnswersNothingWhileClosed) {
    Sequencer sequencer(kTempo132);
    EXPECT_EQ(-1.0, sequencer.Position());
    sequencer.Command("play mayimmayim NOTIFY", true);
    EXPECT_FALSE(sequencer.device.IsPlaying());
    sequencer.Command("close mayimmayim");
    EXPECT_FALSE(sequencer.device.TakeNotice());
}

TEST(SongClockDevice, ReportsTheScriptOnePositionPerQuery) {
    Sequencer sequencer(SongScript{false, 0.0, {1.0, 34.5, 50.0}, 288.0});
    sequencer.Start();
    EXPECT_EQ(1.0, sequencer.Position());
    EXPECT_EQ(34.5, sequencer.Position());
    EXPECT_EQ(50.0, sequencer.Position());
    sequencer.device.AdvanceClock(200);
    EXPECT_FALSE(sequencer.device.IsPlaying()) << "no positions left: the song is over";
    EXPECT_TRUE(sequencer.device.TakeNotice());
}

TEST(SongClockDevice, APlayStartsTheScriptAgain) {
    Sequencer sequencer(SongScript{false, 0.0, {1.0, 34.0}, 288.0});
    sequencer.Start();
    EXPECT_EQ(1.0, sequencer.Position());
    EXPECT_EQ(34.0, sequencer.Position());
    sequencer.Command("close mayimmayim");
    EXPECT_TRUE(sequencer.device.TakeNotice());
    sequencer.Start();
    EXPECT_EQ(1.0, sequencer.Position());
    EXPECT_EQ(2, sequencer.device.Plays());
}

TEST(VirtualTimer, NeverTicksFasterThanWindowsAllows) {
    VirtualTimer timer(200);
    EXPECT_EQ(200u, timer.TickSpacingMs());
    timer.Restart(1);
    EXPECT_EQ(10u, timer.TickSpacingMs());
    EXPECT_EQ(1u, timer.PeriodMs());
    EXPECT_EQ(1, timer.Restarts());
}

}  // namespace
