// The MCI command strings tornelo.exe sends for the dance music, read back
// from Wine's trace of the "mci" channel. This program runs with Wine's
// standard error going to a log file (see CMakeLists.txt), which tornelo
// inherits; TORNELO_MCI_LOG names that file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "tornelo_fixture.h"

using namespace tornelo_test;

namespace {

const char* const kOpen = "open mayimmayim.mid type sequencer alias mayimmayim";
const char* const kSetTimeFormat = "set mayimmayim time format song pointer";
const char* const kPlay = "play mayimmayim NOTIFY";
const char* const kPositionQuery = "status mayimmayim position";
const char* const kStop = "stop mayimmayim";
const char* const kClose = "close mayimmayim";

std::string LogPath() {
    const char* path = std::getenv("TORNELO_MCI_LOG");
    return path ? path : "";
}

std::vector<std::string> QuotedAfter(const std::string& log, size_t offset, const std::string& marker) {
    std::vector<std::string> found;
    size_t at = offset;
    while ((at = log.find(marker, at)) != std::string::npos) {
        size_t start = at + marker.size();
        size_t end = log.find('"', start);
        if (end == std::string::npos) break;
        found.push_back(log.substr(start, end - start));
        at = end;
    }
    return found;
}

// The command strings that reached MCI, in order, from the part of the
// log written after `offset`. The ANSI entry is traced when it logs its
// own calls; otherwise the wide one it hands them to.
std::vector<std::string> MciCommandsSince(size_t offset) {
    std::string log;
    if (!ReadWholeFile(LogPath(), &log) || log.size() < offset) return {};
    std::vector<std::string> commands = QuotedAfter(log, offset, "mciSendStringA (\"");
    if (commands.empty()) commands = QuotedAfter(log, offset, "mciSendStringW (L\"");
    return commands;
}

bool Contains(const std::vector<std::string>& commands, const char* command) {
    return std::find(commands.begin(), commands.end(), command) != commands.end();
}

size_t LogSize() {
    std::string log;
    return ReadWholeFile(LogPath(), &log) ? log.size() : 0;
}

// Empty when `wanted` appear in this order (others may come between).
std::string InOrder(const std::vector<std::string>& commands, const std::vector<const char*>& wanted) {
    size_t next = 0;
    for (const std::string& command : commands) {
        if (next < wanted.size() && command == wanted[next]) ++next;
    }
    if (next == wanted.size()) return "";
    std::string text = std::string("missing \"") + wanted[next] + "\" (in order); sent:";
    for (const std::string& command : commands) text += "\n  \"" + command + "\"";
    return text;
}

class MusicTest : public TorneloOnStandinTest {
protected:
    void SetUp() override {
        ASSERT_FALSE(LogPath().empty()) << "TORNELO_MCI_LOG is not set: run this test through its CTest entry";
        ASSERT_TRUE(CopyFileA(MusicFile().c_str(), folder_.File("mayimmayim.mid").c_str(), FALSE))
            << "no music file at " << MusicFile();
        // tornelo inherits the variable and, from this process, the standard error.
        SetEnvironmentVariableA("WINEDEBUG", "trace+mci");
        logStart_ = LogSize();
        StartWith("20,200,2.000,1.000,0.100,60,500,1", 6);
    }

    size_t logStart_ = 0;
};

}  // namespace

TEST_F(MusicTest, TheDanceOpensSetsAndPlaysThenNormalModeStopsAndCloses) {
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kMayimMayimItem, DefaultPointer()));
    Sleep(1000);  // a few ticks of the dance, each asking for the song position
    std::vector<std::string> commands = MciCommandsSince(logStart_);
    EXPECT_EQ(InOrder(commands, {kOpen, kSetTimeFormat, kPlay, kPositionQuery}), "");
    EXPECT_FALSE(Contains(commands, kStop)) << "the music stopped by itself";

    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kNormalItem, DefaultPointer()));
    Sleep(500);  // time for the notice of the aborted play
    commands = MciCommandsSince(logStart_);
    EXPECT_EQ(InOrder(commands, {kOpen, kSetTimeFormat, kPlay, kStop, kClose}), "");
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front(), kOpen) << "something was sent before the dance began";
}

TEST_F(MusicTest, ChoosingTheDanceAgainDoesNotRestartTheMusic) {
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kMayimMayimItem, DefaultPointer()));
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kMayimMayimItem, DefaultPointer()));
    Sleep(300);
    std::vector<std::string> commands = MciCommandsSince(logStart_);
    int opens = 0;
    for (const std::string& command : commands) opens += command == kOpen ? 1 : 0;
    EXPECT_EQ(opens, 1);
}

TEST_F(MusicTest, EndingTheProgramDuringTheDanceStopsTheMusicFirst) {
    HWND window = tornelo_->MainWindow();
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kMayimMayimItem, DefaultPointer()));
    Sleep(300);
    EXPECT_EQ(RunToExit(TorneloExe(), "", folder_.Path(), 15000), 0);
    DWORD exitCode = 1;
    ASSERT_TRUE(tornelo_->Process().WaitForExit(8000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(TrayIconExists(window));
    std::vector<std::string> commands = MciCommandsSince(logStart_);
    EXPECT_EQ(InOrder(commands, {kOpen, kSetTimeFormat, kPlay, kStop, kClose}), "");
}
