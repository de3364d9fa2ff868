// The soak, run by scripts/soak for minutes rather than by CTest.
//
// tornelo turns the icons in black-hole mode with repeat on and short
// timings while icons come and go on the stand-in desktop; after its
// first minute and again at the end, after a round through the modes, its
// handles, GDI and USER objects and private memory are taken: the end may
// not hold more than the first minute. Then lokari saves and restores
// again and again, and the stand-in may not keep any of its memory.
//
// SOAK_MINUTES (default 2) is how long tornelo runs, SOAK_LOKARI_ROUNDS
// (default 40) how many saves and restores follow.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "lokari_wine_helpers.h"
#include "soak_support.h"
#include "tornelo_under_test.h"

using namespace tornelo_test;

namespace {

// A black-hole run swallows for 1.5 turns x 8 s = 12 s, trembles 5 s and
// bursts 6.6 s: a run every half minute or so.
const char* const kSoakSettingsLine = "30,330,1.500,1.000,0.200,8,100,1";
constexpr int kSoakIcons = 40;
constexpr DWORD kChurnPeriodMs = 3000;
constexpr DWORD kSwallowSamplePeriodMs = 5000;
constexpr DWORD kFirstMinuteMs = 60000;
constexpr DWORD kModeDwellMs = 3000;
constexpr int kWarmUpRounds = 2;
constexpr int kRoundsBetweenPlacementChecks = 10;

// How much a figure may grow between the first and the last look. The
// programs make no object per tick, per menu use or per run, and the
// counts come out the same at both looks, so they may not grow at all: a
// tray menu left behind is already two USER objects. Private memory, as
// Wine counts it, is the resident anonymous memory, which moves by a few
// pages as heaps and stacks are touched (8 to 20 KiB seen). 64 KiB is less
// than one 4 KiB block left in the stand-in by each of 25 runs, and than
// 220 bytes kept per tick over the 300 ticks of a minute.
constexpr long long kHandleMargin = 0;
constexpr long long kGdiMargin = 0;
constexpr long long kUserMargin = 0;
constexpr long long kTorneloMemoryMargin = 64 * 1024;
constexpr long long kStandinMemoryMargin = 64 * 1024;

int EnvironmentNumber(const char* name, int fallback, int lowest, int highest) {
    const char* text = std::getenv(name);
    if (text == nullptr || text[0] == '\0') return fallback;
    int value = std::atoi(text);
    return std::min(std::max(value, lowest), highest);
}

void Say(const char* format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    std::printf("soak: %s\n", text);
    std::fflush(stdout);
}

void SayGrowth(const soak::Growth& growth) { Say("  %s", soak::Describe(growth).c_str()); }

// Whether the menu, opened and closed again, shows that mode and repeat checked.
bool MenuShows(const Tornelo& tornelo, int modeItem) {
    HWND menu = PressTrayIcon(tornelo, DefaultPointer());
    if (!menu) return false;
    const MenuSnapshot marks = ReadOpenMenu(menu);
    DismissMenu(tornelo, menu);
    return marks.readable && marks.checked[modeItem] && marks.checked[kRepeatItem];
}

bool ChooseAndDwell(const Tornelo& tornelo, int position) {
    bool chosen = ChooseFromTrayMenu(tornelo, position, DefaultPointer());
    Sleep(kModeDwellMs);
    return chosen;
}

// Icons come and go every few seconds (two added, two taken away, so the
// count stays near its start), and now and then the icons are read to see
// how many the black hole has swallowed.
class DesktopChurn {
public:
    explicit DesktopChurn(StandinDesktop& desktop) : desktop_(desktop) {}

    void RunUntil(ULONGLONG deadline) {
        while (GetTickCount64() < deadline) {
            ULONGLONG now = GetTickCount64();
            if (now >= nextChurn_) {
                Churn();
                nextChurn_ = now + kChurnPeriodMs;
            }
            if (now >= nextSample_) {
                Sample();
                nextSample_ = now + kSwallowSamplePeriodMs;
            }
            Sleep(100);
        }
    }

    int adds = 0;
    int removes = 0;
    int samples = 0;
    int samplesWithSwallowedIcons = 0;
    int mostSwallowed = 0;

private:
    void Churn() {
        if (step_++ % 4 < 2) {
            desktop_.AddIcon("soak " + std::to_string(step_));
            ++adds;
        } else {
            int count = desktop_.IconCount();
            if (count > 1) {
                desktop_.RemoveIcon((step_ * 7) % count);
                ++removes;
            }
        }
    }

    void Sample() {
        const IconPosition parked{FullScreenSize().width + 50, 1};
        std::vector<IconPosition> positions = PositionsOf(desktop_.Icons());
        int swallowed = static_cast<int>(std::count(positions.begin(), positions.end(), parked));
        ++samples;
        if (swallowed > 0) ++samplesWithSwallowedIcons;
        mostSwallowed = std::max(mostSwallowed, swallowed);
    }

    StandinDesktop& desktop_;
    int step_ = 0;
    ULONGLONG nextChurn_ = 0;
    ULONGLONG nextSample_ = 0;
};

std::vector<soak::Growth> GrowthOf(const soak::ProcessFigures& before, const soak::ProcessFigures& after,
                                   long long memoryMargin) {
    return {
        {"handles", before.handles, after.handles, kHandleMargin},
        {"GDI objects", before.gdiObjects, after.gdiObjects, kGdiMargin},
        {"USER objects", before.userObjects, after.userObjects, kUserMargin},
        {"private bytes", before.privateBytes, after.privateBytes, memoryMargin},
    };
}

}  // namespace

TEST(Soak, TorneloInBlackHoleModeHoldsItsResourcesAndEndsCleanly) {
    const int minutes = EnvironmentNumber("SOAK_MINUTES", 2, 1, 600);
    Say("tornelo: %d minute(s) in black-hole mode with repeat on, settings %s, %d icons coming and going", minutes,
        kSoakSettingsLine, kSoakIcons);
    StandinDesktop desktop("--icons " + std::to_string(kSoakIcons));
    ASSERT_TRUE(desktop.Ready());
    TempFolder folder;
    WriteSettingsFile(folder, kSoakSettingsLine);
    // The dance plays the music, as it would for a user.
    CopyFileA(MusicFile().c_str(), folder.File("mayimmayim.mid").c_str(), FALSE);

    const ULONGLONG started = GetTickCount64();
    Tornelo tornelo(folder);
    ASSERT_TRUE(tornelo.Ready());
    // Every mode once before the first figures: what a mode loads on first
    // use (the music device, say) is not a leak.
    for (int item : {kMayimMayimItem, kBlackHoleItem, kNormalItem, kBlackHoleItem, kRepeatItem}) {
        ASSERT_TRUE(ChooseAndDwell(tornelo, item)) << "menu position " << item;
    }
    ASSERT_TRUE(MenuShows(tornelo, kBlackHoleItem)) << "not in black-hole mode with repeat on";

    DesktopChurn churn(desktop);
    churn.RunUntil(started + kFirstMinuteMs);
    const soak::ProcessFigures first = soak::FiguresOf(tornelo.ProcessId(), tornelo.MainWindow());
    Say("tornelo after its first minute: %s", soak::Describe(first).c_str());

    churn.RunUntil(started + static_cast<ULONGLONG>(minutes) * kFirstMinuteMs);
    Say("tornelo ran %.1f min; icons added %d, removed %d; the black hole had swallowed icons in %d of %d looks, "
        "at most %d at once",
        static_cast<double>(GetTickCount64() - started) / 60000.0, churn.adds, churn.removes,
        churn.samplesWithSwallowedIcons, churn.samples, churn.mostSwallowed);
    EXPECT_GT(churn.mostSwallowed, 0) << "the black hole never swallowed an icon";
    ASSERT_TRUE(tornelo.Process().IsRunning());

    for (int item : {kNormalItem, kMayimMayimItem, kBlackHoleItem, kNormalItem}) {
        EXPECT_TRUE(ChooseAndDwell(tornelo, item)) << "menu position " << item;
    }
    EXPECT_TRUE(MenuShows(tornelo, kNormalItem)) << "not back in the normal mode with repeat on";

    const soak::ProcessFigures last = soak::FiguresOf(tornelo.ProcessId(), tornelo.MainWindow());
    Say("tornelo at the end: %s", soak::Describe(last).c_str());
    for (const soak::Growth& growth : GrowthOf(first, last, kTorneloMemoryMargin)) {
        SayGrowth(growth);
        EXPECT_TRUE(growth.WithinMargin()) << soak::Describe(growth);
    }

    EXPECT_EQ(RunToExit(TorneloExe(), "", folder.Path(), 20000), 0) << "the second start";
    DWORD exitCode = 1;
    ASSERT_TRUE(tornelo.Process().WaitForExit(10000, &exitCode)) << "a second start did not end tornelo";
    Say("tornelo exit code %lu", exitCode);
    EXPECT_EQ(exitCode, 0u);
}

namespace {

struct RoundTimes {
    ULONGLONG saveMs = 0;
    ULONGLONG restoreMs = 0;
    ULONGLONG longestSaveMs = 0;
    ULONGLONG longestRestoreMs = 0;
    int rounds = 0;
};

ULONGLONG TimedLokari(const std::string& commandTail, const TempFolder& folder, long* exitCode) {
    ULONGLONG started = GetTickCount64();
    *exitCode = RunLokari(commandTail, folder.Path());
    return GetTickCount64() - started;
}

// One save, the icons moved away, one restore from that save.
void SaveAndRestore(StandinDesktop& desktop, const TempFolder& folder, const std::string& expectedSnapshot,
                    RoundTimes* times) {
    long exitCode = -1;
    ULONGLONG saveMs = TimedLokari("", folder, &exitCode);
    ASSERT_EQ(exitCode, 0) << "save";
    const std::vector<std::string> names = folder.FileNames();
    ASSERT_EQ(names.size(), 1u);
    ASSERT_EQ(ReadWholeFile(folder.File(names.front())), expectedSnapshot);
    MoveIconsAway(desktop);
    ULONGLONG restoreMs = TimedLokari("\"" + names.front() + "\"", folder, &exitCode);
    ASSERT_EQ(exitCode, 0) << "restore";
    DeleteFileA(folder.File(names.front()).c_str());

    times->saveMs += saveMs;
    times->restoreMs += restoreMs;
    times->longestSaveMs = std::max(times->longestSaveMs, saveMs);
    times->longestRestoreMs = std::max(times->longestRestoreMs, restoreMs);
    ++times->rounds;
}

}  // namespace

TEST(Soak, LokariSavesAndRestoresAgainAndAgainAndTheShellKeepsNothing) {
    const int rounds = EnvironmentNumber("SOAK_LOKARI_ROUNDS", 40, 1, 100000);
    Say("lokari: %d saves and restores in a row against %d icons", rounds, kSoakIcons);
    StandinDesktop desktop("--icons " + std::to_string(kSoakIcons));
    ASSERT_TRUE(desktop.Ready());
    const std::vector<DesktopIcon> icons = desktop.Icons();
    const std::string snapshot = SavedSnapshotOf(icons);
    TempFolder folder;

    // What the stand-in allocates on first use of its list-view is not a leak.
    RoundTimes warmUp;
    for (int round = 0; round < kWarmUpRounds; ++round) {
        ASSERT_NO_FATAL_FAILURE(SaveAndRestore(desktop, folder, snapshot, &warmUp));
    }
    const std::vector<std::uintptr_t> blocksBefore = SmallPrivateAllocations(desktop.ProcessId());
    const soak::ProcessFigures first = soak::FiguresOf(desktop.ProcessId(), desktop.ListView());
    Say("stand-in after %d warm-up rounds: %s", kWarmUpRounds, soak::Describe(first).c_str());

    RoundTimes times;
    for (int round = 1; round <= rounds; ++round) {
        ASSERT_NO_FATAL_FAILURE(SaveAndRestore(desktop, folder, snapshot, &times)) << "round " << round;
        if (round % kRoundsBetweenPlacementChecks == 0 || round == rounds) {
            ASSERT_EQ(PlacementsOf(desktop.Icons()), PlacementsOf(icons)) << "after the restore of round " << round;
        }
    }
    Say("lokari: %d rounds; save %.0f ms on average (longest %llu), restore %.0f ms on average (longest %llu)",
        times.rounds, static_cast<double>(times.saveMs) / times.rounds, times.longestSaveMs,
        static_cast<double>(times.restoreMs) / times.rounds, times.longestRestoreMs);

    const soak::ProcessFigures last = soak::FiguresOf(desktop.ProcessId(), desktop.ListView());
    const std::vector<std::uintptr_t> leftBlocks =
        NewAllocations(blocksBefore, SmallPrivateAllocations(desktop.ProcessId()));
    Say("stand-in at the end: %s", soak::Describe(last).c_str());
    Say("  blocks left in the stand-in: %zu", leftBlocks.size());
    EXPECT_TRUE(leftBlocks.empty()) << "lokari left blocks in the stand-in";
    for (const soak::Growth& growth : GrowthOf(first, last, kStandinMemoryMargin)) {
        SayGrowth(growth);
        EXPECT_TRUE(growth.WithinMargin()) << soak::Describe(growth);
    }
}
