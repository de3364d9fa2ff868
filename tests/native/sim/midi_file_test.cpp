// The committed dance tune: a well-formed PPQN file, long enough for the
// whole dance, and the very bytes the generator's tables give.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "smf.h"
#include "tune.h"

namespace {

std::vector<uint8_t> ReadWholeFile(const char* path) {
    std::vector<uint8_t> bytes;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return bytes;
    uint8_t buffer[1024];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(file);
    return bytes;
}

// The dance's last threshold: from here the ring turns fast anticlockwise
// until the music ends, so the tune must last well beyond it.
constexpr double kLastDanceThreshold = 210.0;

class CommittedTune : public ::testing::Test {
protected:
    void SetUp() override {
        bytes = ReadWholeFile(MAYIM_MIDI_PATH);
        ASSERT_FALSE(bytes.empty()) << "cannot read " << MAYIM_MIDI_PATH;
        summary = smf::ReadSummary(bytes.data(), bytes.size());
        ASSERT_TRUE(summary.valid) << summary.error;
    }
    std::vector<uint8_t> bytes;
    smf::FileSummary summary{};
};

TEST_F(CommittedTune, HeaderIsFormat1WithQuarterNoteDivision) {
    EXPECT_EQ(0, std::memcmp(bytes.data(), "MThd", 4));
    EXPECT_EQ(1, summary.format);
    EXPECT_TRUE(summary.divisionIsPpqn);
    EXPECT_EQ(tune::kTicksPerQuarter, summary.ticksPerQuarter);
    EXPECT_EQ(5, summary.declaredTracks);
    EXPECT_EQ(summary.declaredTracks, summary.tracksRead);
}

TEST_F(CommittedTune, LastsAtLeastSixteenBarsAndOutlastsTheDance) {
    const double sixteenths = smf::LengthInSixteenths(summary);
    EXPECT_GE(sixteenths, 16 * 16);
    EXPECT_LE(sixteenths, 20 * 16);
    EXPECT_EQ(tune::kLengthInSixteenths, sixteenths);
    EXPECT_GE(sixteenths - kLastDanceThreshold, 2 * 16) << "the final phase would hardly be seen";
}

TEST_F(CommittedTune, MelodyChordsBassAndClappingAllSound) {
    for (int channel : {0, 1, 2, 9}) {
        EXPECT_GT(summary.noteOnsPerChannel[channel], 50u) << "channel " << channel + 1;
    }
    EXPECT_EQ(60000000u / tune::kTempoBpm, summary.microsecondsPerQuarter);
}

TEST_F(CommittedTune, IsWhatTheGeneratorWrites) {
    EXPECT_TRUE(bytes == tune::BuildFile()) << "run midi-gen tools/midi/mayimmayim.mid and commit the result";
}

TEST(TuneTables, MelodyFillsEveryBar) {
    EXPECT_EQ(tune::kLengthInSixteenths, tune::MelodyLengthInSixteenths());
}

// A cut-off file must be refused, never read past its end.
TEST(SmfReader, RefusesEveryTruncation) {
    const std::vector<uint8_t> whole = tune::BuildFile();
    for (size_t cut = 0; cut < whole.size(); cut += 7) {
        const std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_FALSE(smf::ReadSummary(part.data(), part.size()).valid) << "cut at " << cut;
    }
}

TEST(SmfReader, RefusesWhatIsNotAMidiFile) {
    const uint8_t text[] = "MTrk not a header";
    EXPECT_FALSE(smf::ReadSummary(text, sizeof text).valid);
    const uint8_t smpte[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 0, 0xE7, 0x28};
    const smf::FileSummary summary = smf::ReadSummary(smpte, sizeof smpte);
    EXPECT_TRUE(summary.valid);
    EXPECT_FALSE(summary.divisionIsPpqn);
    EXPECT_EQ(0.0, smf::LengthInSixteenths(summary));
}

TEST(SmfReader, FollowsRunningStatus) {
    // One track: note on, then a second note on and two offs by running status.
    const uint8_t file[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 17,
                            0x00, 0x92, 60, 100, 0x10, 64, 90, 0x30, 60, 0, 0x00, 64, 0, 0x00, 0xFF, 0x2F, 0x00};
    const smf::FileSummary summary = smf::ReadSummary(file, sizeof file);
    ASSERT_TRUE(summary.valid) << summary.error;
    EXPECT_EQ(2u, summary.noteOnsPerChannel[2]);
    EXPECT_EQ(0x40u, summary.lastTick);
    EXPECT_EQ(0x40 * 4.0 / 96, smf::LengthInSixteenths(summary));
}

}  // namespace
