// The fault soak, run by `scripts/soak --faults MINUTES [--seed S]`:
// tornelo runs on the stand-in desktop while faults of every kind below
// come one after another, every 5 to 15 s, dealt from a deck of all kinds
// shuffled by a seeded generator (every ten faults hold each kind once), so
// that a failing run can be replayed. After each fault tornelo must be alive,
// keep its tray icon and open its menu within 3 s, and in the normal mode
// turn the icons the way its settings say; its handle, GDI and USER counts
// must be read and stay in a small band. At the end, on a steady desktop,
// every icon must stand on the spiral of the last settings applied and turn
// their way, a second start must end both copies with 0 and leave the view's
// styles on, every snapshot file must read whole and no temporary file may
// be left but a killed save's.
//
// SOAK_FAULT_MINUTES (default 2) and SOAK_SEED (default: from the clock).
#include <gtest/gtest.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <random>

#include "lokari_wine_helpers.h"
#include "resources/resource_ids.h"
#include "settings/settings_dialog_rules.h"
#include "settings/settings_line.h"
#include "soak_support.h"
#include "tornelo_under_test.h"

using namespace tornelo_test;

namespace {

constexpr DWORD kMenuWithinMs = 3000;
// On the screen at 800 x 600 too.
constexpr POINT kPointer = {500, 400};
constexpr DWORD kRecoveredWithinMs = 5000;
// How far each count may move from its first look after the warm-up.
constexpr long long kHandleBand = 8;
constexpr long long kGdiBand = 8;
constexpr long long kUserBand = 4;
const char* const kFirstSettingsLine = "20,300,2.000,1.000,0.100,20,500,1";

// Low and high of one resource count over the run; a count that could not
// be read at all is a failure of its own.
struct Band {
    long long low = -1;
    long long high = -1;
    long long last = -1;
    int unread = 0;
    void Add(long long value) {
        last = value;
        if (value < 0) {
            ++unread;
            return;
        }
        low = low < 0 ? value : std::min(low, value);
        high = std::max(high, value);
    }
    long long Width() const { return high - low; }
};

class FaultSoak {
public:
    explicit FaultSoak(unsigned seed) : random_(seed) {}

    bool Start();
    void InjectOne();
    void Finish();
    void Report(unsigned seed) const;

private:
    struct Kind {
        const char* name;
        bool (FaultSoak::*inject)();
        int injected;
        int survived;
    };

    int Draw(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    size_t DealKind();
    bool Frozen() const { return GetTickCount64() < frozenUntil_; }
    // The stand-in starts its freeze when it takes the request, a little
    // after the soak's own clock says: it must answer again too.
    void WaitForThaw() {
        while (Frozen()) Sleep(100);
        WaitUntil([&] { return soak::Answers(desktop_->ListView(), 100); }, 5000);
    }
    std::vector<std::string> Labels() const;
    bool StartDesktop(const std::string& options);
    bool Probe(MenuSnapshot* marks = nullptr);
    bool TurnsAsSet();
    bool RecordSnapshots(bool killedSave);

    bool RestartDesktop();
    bool FreezeDesktop();
    bool LoseTrayIcon();
    bool ChangeDisplayMode();
    bool ChangeWorkArea();
    bool SwitchStyleOn();
    bool ApplySettings();
    bool SwitchMode();
    bool SaveSnapshot();
    bool RestoreSnapshot();

    std::mt19937 random_;
    TempFolder folder_;     // tornelo's, with its settings and music
    TempFolder snapshots_;  // lokari's
    std::unique_ptr<StandinDesktop> desktop_;
    std::unique_ptr<Tornelo> tornelo_;
    std::unique_ptr<DisplayMode> smallerDisplay_;
    Settings settings_ = {20, 300, 2.0, 1.0, 0.1, 20, 500, 1};
    bool repeat_ = false;
    ULONGLONG frozenUntil_ = 0;
    const ULONGLONG started_ = GetTickCount64();
    std::map<std::string, std::vector<std::string>> labelsAtSave_;
    int killedSaveLeftovers_ = 0;
    IconPosition viewOffset_ = {0, 0};  // where the primary screen's corner lies in the view
    int styleSwitches_ = 0;
    int killedRestores_ = 0;
    int gridLeftOffByKilledRestores_ = 0;
    std::vector<size_t> deck_;
    Band handles_, gdi_, user_;
    std::vector<Kind> kinds_ = {
        {"stand-in killed and started again", &FaultSoak::RestartDesktop, 0, 0},
        {"stand-in frozen 3-12 s", &FaultSoak::FreezeDesktop, 0, 0},
        {"tray icon deleted, TaskbarCreated", &FaultSoak::LoseTrayIcon, 0, 0},
        {"display 1024x768 <-> 800x600", &FaultSoak::ChangeDisplayMode, 0, 0},
        {"WM_SETTINGCHANGE SPI_SETWORKAREA", &FaultSoak::ChangeWorkArea, 0, 0},
        {"auto-arrange or align-to-grid on", &FaultSoak::SwitchStyleOn, 0, 0},
        {"settings dialog Apply", &FaultSoak::ApplySettings, 0, 0},
        {"mode from the menu", &FaultSoak::SwitchMode, 0, 0},
        {"lokari save (1 in 4 killed)", &FaultSoak::SaveSnapshot, 0, 0},
        {"lokari restore (1 in 4 killed)", &FaultSoak::RestoreSnapshot, 0, 0},
    };
};

std::vector<std::string> FaultSoak::Labels() const {
    std::vector<std::string> labels;
    for (const DesktopIcon& icon : desktop_->Icons()) labels.push_back(icon.label);
    return labels;
}

bool FaultSoak::StartDesktop(const std::string& options) {
    desktop_ = std::make_unique<StandinDesktop>(options);
    return desktop_->Ready();
}

bool FaultSoak::Start() {
    if (!StartDesktop("--icons 20")) return false;
    WriteSettingsFile(folder_, kFirstSettingsLine);
    CopyFileA(MusicFile().c_str(), folder_.File("mayimmayim.mid").c_str(), FALSE);
    tornelo_ = std::make_unique<Tornelo>(folder_);
    if (!tornelo_->Ready()) return false;
    // Every mode and the dialog's Apply once: what they load on first use is no leak.
    for (int item : {kMayimMayimItem, kBlackHoleItem, kNormalItem}) ChooseFromTrayMenu(*tornelo_, item, kPointer);
    return ApplySettings() && Probe();
}

// Alive, its tray icon there (asked of the taskbar), its menu open within
// 3 s and closed again, turning the icons as its settings say in the normal
// mode, and its counts taken.
bool FaultSoak::Probe(MenuSnapshot* marks) {
    if (!tornelo_->Process().IsRunning()) return false;
    if (!TrayIconExists(tornelo_->MainWindow())) {
        ADD_FAILURE() << "tornelo's tray icon is gone";
        return false;
    }
    HWND menu = PressTrayIcon(*tornelo_, kPointer, WM_LBUTTONDOWN, kMenuWithinMs);
    if (!menu) return false;
    const MenuSnapshot shown = ReadOpenMenu(menu);
    if (marks) *marks = shown;
    if (!DismissMenu(*tornelo_, menu)) return false;
    if (shown.readable && shown.checked[kNormalItem] && !TurnsAsSet()) return false;
    const soak::ProcessFigures figures = soak::FiguresOf(tornelo_->ProcessId(), tornelo_->MainWindow());
    handles_.Add(figures.handles.value);
    gdi_.Add(figures.gdiObjects.value);
    user_.Add(figures.userObjects.value);
    return true;
}

// Two read-backs two update intervals apart, both on the spiral of the
// settings around the screen's centre, and turned between them the way the
// revolution time says; tried until the recovery time is over.
bool FaultSoak::TurnsAsSet() {
    WaitForThaw();
    const Settings& set = settings_;
    const DWORD twoTicks = static_cast<DWORD>(2000 * set.updateInterval);
    std::string problem = "not read";
    const bool turns = WaitUntil([&] {
        // A stand-in just out of a freeze may not answer yet: try again.
        const int icons = desktop_->IconCount();
        if (icons < 0) return false;
        const std::vector<ItemSlot> slots = RelayoutSlots(set, icons);
        TimedRead first = ReadIcons(*desktop_);
        Sleep(twoTicks);
        TimedRead second = ReadIcons(*desktop_);
        for (TimedRead* read : {&first, &second})
            for (IconPosition& p : read->positions) p = {p.x - viewOffset_.x, p.y - viewOffset_.y};
        problem = CheckOnTurnedSpiral(first, slots, set);
        if (problem.empty()) problem = CheckOnTurnedSpiral(second, slots, set);
        if (!problem.empty()) return false;
        const double turn = std::remainder(
            ObservedRingAngle(second.positions, slots) - ObservedRingAngle(first.positions, slots), kTwoPi);
        problem = "turned " + std::to_string(turn) + " rad in two ticks, revolution time " +
                  std::to_string(set.revolutionTime);
        return set.revolutionTime > 0 ? turn > 0.0 : turn < 0.0;
    }, kRecoveredWithinMs);
    if (!turns) ADD_FAILURE() << "the icons do not turn as the settings say: " << problem;
    return turns;
}

bool FaultSoak::RestartDesktop() {
    TerminateProcess(ScopedHandle(OpenProcess(PROCESS_TERMINATE, FALSE, desktop_->ProcessId())).Get(), 1);
    desktop_.reset();
    frozenUntil_ = 0;
    const int icons = 10 + 5 * Draw(0, 4);
    const bool offset = Draw(0, 2) == 0;
    viewOffset_ = offset ? IconPosition{200, 100} : IconPosition{0, 0};
    return StartDesktop("--icons " + std::to_string(icons) + (offset ? " --view-offset 200,100" : "")) &&
           IconsMoveWithin(*desktop_, kRecoveredWithinMs);
}

bool FaultSoak::FreezeDesktop() {
    // A frozen stand-in cannot take the request for the next freeze.
    WaitForThaw();
    const DWORD ms = static_cast<DWORD>(Draw(3000, 12000));
    frozenUntil_ = GetTickCount64() + ms;
    return soak::FreezeStandin(desktop_->ListView(), ms);
}

bool FaultSoak::LoseTrayIcon() {
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = tornelo_->MainWindow();
    icon.uID = kTrayIconId;
    // Only a fault when the icon really went.
    if (!Shell_NotifyIconA(NIM_DELETE, &icon) || TrayIconExists(tornelo_->MainWindow())) return false;
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    return WaitUntil([&] { return TrayIconExists(tornelo_->MainWindow()); }, kMenuWithinMs);
}

// Either way round; the probe then finds the spiral around the new centre.
bool FaultSoak::ChangeDisplayMode() {
    const ScreenSize before = FullScreenSize();
    if (smallerDisplay_) {
        smallerDisplay_.reset();
    } else {
        smallerDisplay_ = std::make_unique<DisplayMode>(800, 600);
        if (!smallerDisplay_->Changed()) return false;
    }
    return FullScreenSize().width != before.width;
}

bool FaultSoak::ChangeWorkArea() {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(tornelo_->MainWindow(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0, SMTO_NORMAL,
                               kMenuWithinMs, &ignored) != 0;
}

// tornelo leaves a style the user switches on alone, and sends no move while
// auto-arrange is on; switched off again, the probe finds the spiral back.
bool FaultSoak::SwitchStyleOn() {
    WaitForThaw();
    const bool autoArrange = styleSwitches_++ % 2 == 0;  // each style every other time
    const ArrangingStyles which = {autoArrange, !autoArrange};
    desktop_->SwitchStylesOn(which);
    tornelo_->Settle();  // a tick under way has ended
    const int moves = desktop_->MovesReceived();
    Sleep(1200);  // the watch has looked at the view
    const ArrangingStyles now = desktop_->Styles();
    const bool leftOn = autoArrange ? now.autoArrange : now.snapToGrid;
    const bool still = !autoArrange || desktop_->MovesReceived() == moves;
    if (!still) ADD_FAILURE() << "tornelo moved icons while auto-arrange was on";
    desktop_->SwitchStyles(which, false);
    return leftOn && still;
}

// Other valid values typed in and applied; the dialog closed again.
bool FaultSoak::ApplySettings() {
    char texts[8][16];
    std::snprintf(texts[0], sizeof texts[0], "%d", Draw(10, 60));
    std::snprintf(texts[1], sizeof texts[1], "%d", Draw(150, 330));
    std::snprintf(texts[2], sizeof texts[2], "%.1f", Draw(10, 30) / 10.0);
    std::snprintf(texts[3], sizeof texts[3], "%.2f", Draw(50, 200) / 100.0);
    std::snprintf(texts[4], sizeof texts[4], "%.2f", Draw(1, 6) * 0.05);
    std::snprintf(texts[5], sizeof texts[5], "%d", Draw(5, 40));
    std::snprintf(texts[6], sizeof texts[6], "%d", Draw(100, 800));
    std::snprintf(texts[7], sizeof texts[7], "%d", 1);
    const DialogEntries entries = {{texts[0], texts[1], texts[2], texts[3], texts[4], texts[5], texts[6], texts[7]},
                                   Draw(0, 1) == 1, Draw(0, 1) == 1};
    SettingsDialogTexts read = {texts[0], texts[1], texts[2], texts[3], texts[4], texts[5], texts[6], texts[7],
                                entries.rightward, entries.counterClockwise};
    const Settings applied = SettingsFromDialog(read, FullScreenSize().height, 1);
    char line[256];
    FormatSettingsLine(line, sizeof line, applied);

    HWND dialog = OpenSettingsDialog(*tornelo_, kPointer);
    if (!dialog) return false;
    EnterSettings(dialog, entries);
    PressDialogButton(dialog, IDC_SETTINGS_APPLY);
    const bool written = WaitUntil([&] { return ReadWholeFile(folder_.File("tornelo.ini")) == line; }, 15000);
    PressDialogButton(dialog, IDC_SETTINGS_CANCEL);
    const bool closed = WaitUntil([&] { return FindSettingsDialog(tornelo_->ProcessId()) == nullptr; }, 15000);
    if (written) settings_ = applied;
    return written && closed;
}

// Another mode than the one shown, or repeat flipped: always a change.
bool FaultSoak::SwitchMode() {
    MenuSnapshot before;
    if (!Probe(&before) || !before.readable) return false;
    std::vector<int> items = {kRepeatItem};
    for (int mode : {kNormalItem, kMayimMayimItem, kBlackHoleItem})
        if (!before.checked[mode]) items.push_back(mode);
    const int item = items[static_cast<size_t>(Draw(0, static_cast<int>(items.size()) - 1))];
    if (!ChooseFromTrayMenu(*tornelo_, item, kPointer)) return false;
    if (item == kRepeatItem) repeat_ = !repeat_;
    const int modeBefore = before.checked[kMayimMayimItem] ? kMayimMayimItem
                           : before.checked[kBlackHoleItem] ? kBlackHoleItem
                                                             : kNormalItem;
    const int expected = item == kRepeatItem ? modeBefore : item;
    // Normal must show at once. A dance or a black hole may have ended by
    // itself since, unless repeat was on all the while.
    const bool mayHaveEnded = item == kRepeatItem || !repeat_;
    MenuSnapshot marks;
    const bool shown = Probe(&marks) && marks.readable && marks.checked[kRepeatItem] == repeat_ &&
                       (marks.checked[expected] || (mayHaveEnded && marks.checked[kNormalItem]));
    if (!shown) {
        std::string checked;
        for (int position = 0; position < kMenuItemCount; ++position)
            if (marks.checked[position]) checked += std::to_string(position) + " ";
        ADD_FAILURE() << "chose menu position " << item << "; the menu " << (marks.readable ? "shows " : "unread ")
                      << checked << "checked";
    }
    return shown;
}

// "x,y,label," as a save writes it: two whole numbers and the final comma.
bool WholeLine(const std::string& line, std::string* label) {
    size_t at = 0;
    for (int number = 0; number < 2; ++number) {
        if (at < line.size() && line[at] == '-') ++at;
        const size_t digits = at;
        while (at < line.size() && line[at] >= '0' && line[at] <= '9') ++at;
        if (at == digits || at >= line.size() || line[at++] != ',') return false;
    }
    if (line.size() <= at || line.back() != ',') return false;
    *label = line.substr(at, line.size() - at - 1);
    return true;
}

// Every snapshot file whole, with the labels the desktop had at its save; a
// temporary file only after a killed save, and then deleted.
bool FaultSoak::RecordSnapshots(bool killedSave) {
    bool whole = true;
    for (const std::string& name : snapshots_.FileNames()) {
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".dat") != 0) {
            whole = whole && killedSave;
            DeleteFileA(snapshots_.File(name).c_str());
            ++killedSaveLeftovers_;
            continue;
        }
        if (!labelsAtSave_.count(name)) labelsAtSave_[name] = Labels();
        const std::string text = ReadWholeFile(snapshots_.File(name));
        std::vector<std::string> labels;
        std::string label;
        // The stand-in's labels all fit the code page: no UTF-8 mark. A whole
        // save ends with its origin line.
        size_t start = 0;
        bool originLast = false;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
            const std::string line = text.substr(start, end - start);
            if (originLast) return false;
            originLast = line.compare(0, 7, "origin ") == 0;
            if (originLast) continue;
            if (!WholeLine(line, &label)) return false;
            labels.push_back(label);
        }
        whole = whole && originLast && start == text.size() && labels == labelsAtSave_[name];
    }
    return whole;
}

bool FaultSoak::SaveSnapshot() {
    const bool kill = Draw(0, 3) == 0;
    // lokari waits 10 s for each answer: only a longer freeze may end it with 5.
    const bool outlastsLokari = Frozen() && frozenUntil_ - GetTickCount64() > 10000;
    long exitCode = 0;
    if (kill) {
        ChildProcess lokari(LokariExe(), "", snapshots_.Path());
        Sleep(static_cast<DWORD>(Draw(0, 150)));
    } else {
        exitCode = RunLokari("", snapshots_.Path());
    }
    WaitForThaw();
    return (exitCode == 0 || (exitCode == 5 && outlastsLokari)) && RecordSnapshots(kill);
}

bool FaultSoak::RestoreSnapshot() {
    WaitForThaw();
    if (labelsAtSave_.empty()) return SaveSnapshot();
    const std::vector<std::string> labels = Labels();
    std::string chosen = labelsAtSave_.rbegin()->first;
    for (const auto& saved : labelsAtSave_)
        if (saved.second == labels) chosen = saved.first;
    const bool autoArrange = desktop_->Styles().autoArrange;
    if (Draw(0, 3) == 0) {
        {
            ChildProcess lokari(LokariExe(), "\"" + chosen + "\"", snapshots_.Path());
            Sleep(static_cast<DWORD>(Draw(0, 150)));
        }
        // Killed in the middle, lokari cannot switch the grid back on.
        ++killedRestores_;
        if (!desktop_->Styles().snapToGrid) ++gridLeftOffByKilledRestores_;
        return RecordSnapshots(false);
    }
    const long exitCode = RunLokari("\"" + chosen + "\"", snapshots_.Path());
    const bool expected = autoArrange ? exitCode == 7 : exitCode == 0 || exitCode == 6;
    return expected && RecordSnapshots(false);
}

// The next kind from the deck, shuffled anew once every kind has come.
// SOAK_ONLY="1,6" deals those kinds alone, to chase one fault.
size_t FaultSoak::DealKind() {
    if (deck_.empty()) {
        const char* only = std::getenv("SOAK_ONLY");
        for (size_t index = 0; index < kinds_.size(); ++index) {
            if (!only || !*only ||
                std::strstr((std::string(",") + only + ",").c_str(), ("," + std::to_string(index) + ",").c_str()))
                deck_.push_back(index);
        }
        std::shuffle(deck_.begin(), deck_.end(), random_);
    }
    const size_t index = deck_.back();
    deck_.pop_back();
    return index;
}

void FaultSoak::InjectOne() {
    Kind& kind = kinds_[DealKind()];
    ++kind.injected;
    std::printf("soak: %.1f s: %s\n", static_cast<double>(GetTickCount64() - started_) / 1000.0, kind.name);
    std::fflush(stdout);
    const bool handled = (this->*kind.inject)();
    const bool survived = handled && Probe();
    std::printf("soak:   handles %lld, GDI objects %lld, USER objects %lld\n", handles_.last, gdi_.last, user_.last);
    if (survived) ++kind.survived;
    EXPECT_TRUE(survived) << kind.name << (handled ? ": tornelo did not answer after it" : ": not recovered");
    ASSERT_TRUE(tornelo_->Process().IsRunning()) << "tornelo ended after: " << kind.name;
}

// A steady desktop again, with both styles on, in the normal mode.
void FaultSoak::Finish() {
    smallerDisplay_.reset();
    WaitForThaw();
    desktop_.reset();
    ASSERT_TRUE(StartDesktop("--icons 20 --auto-arrange --align-to-grid"));
    viewOffset_ = {0, 0};
    ASSERT_TRUE(ChooseFromTrayMenu(*tornelo_, kNormalItem, kPointer));
    const std::vector<ItemSlot> slots = RelayoutSlots(settings_, 20);
    std::string problem = "not read";
    TimedRead read;
    EXPECT_TRUE(WaitForIcons(*desktop_, [&](const TimedRead& r) {
        return (problem = CheckOnTurnedSpiral(r, slots, settings_)).empty();
    }, 10000, &read)) << "not on the spiral of the last settings: " << problem;
    EXPECT_TRUE(Probe());
    EXPECT_TRUE(TurnsAsSet());

    EXPECT_EQ(RunToExit(TorneloExe(), "", folder_.Path(), 20000), 0) << "the second start";
    DWORD exitCode = 1;
    EXPECT_TRUE(tornelo_->Process().WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    const ArrangingStyles styles = desktop_->Styles();
    EXPECT_TRUE(styles.autoArrange && styles.snapToGrid) << "the view's styles were not put back";
    EXPECT_TRUE(RecordSnapshots(false)) << "a snapshot file is not whole, or a temporary file was left";
    EXPECT_LE(handles_.Width(), kHandleBand) << "handles";
    EXPECT_LE(gdi_.Width(), kGdiBand) << "GDI objects";
    EXPECT_LE(user_.Width(), kUserBand) << "USER objects";
    EXPECT_EQ(handles_.unread + gdi_.unread + user_.unread, 0) << "a resource count could not be read";
}

void FaultSoak::Report(unsigned seed) const {
    std::printf("soak: faults injected at random, seed %u\n", seed);
    std::printf("soak: | fault | injected | survived |\n");
    std::printf("soak: |---|---|---|\n");
    for (const Kind& kind : kinds_)
        std::printf("soak: | %s | %d | %d |\n", kind.name, kind.injected, kind.survived);
    int injected = 0;
    for (const Kind& kind : kinds_) injected += kind.injected;
    if (injected < static_cast<int>(kinds_.size()))
        std::printf("soak: %d faults, too few for every kind once: the kinds at 0 were not tried\n", injected);
    std::printf("soak: temporary files left by killed saves (deleted): %d\n", killedSaveLeftovers_);
    std::printf("soak: restores killed: %d, align-to-grid left off after %d of them\n", killedRestores_,
                gridLeftOffByKilledRestores_);
    std::printf("soak: resource band after the warm-up: handles %lld-%lld, GDI objects %lld-%lld, "
                "USER objects %lld-%lld\n",
                handles_.low, handles_.high, gdi_.low, gdi_.high, user_.low, user_.high);
    std::fflush(stdout);
}

}  // namespace

TEST(Soak, FaultsInjectedAtRandomAreSurvived) {
    const char* minutesText = std::getenv("SOAK_FAULT_MINUTES");
    const int minutes = std::max(1, minutesText ? std::atoi(minutesText) : 2);
    const char* seedText = std::getenv("SOAK_SEED");
    const unsigned seed = seedText && *seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10))
                                                : static_cast<unsigned>(GetTickCount64());
    std::printf("soak: %d minute(s) of faults, seed %u (SOAK_SEED=%u replays them)\n", minutes, seed, seed);
    // Its generator is too large for the stack.
    auto soak = std::make_unique<FaultSoak>(seed);
    ASSERT_TRUE(soak->Start()) << "tornelo did not start on the stand-in";
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(minutes) * 60000;
    std::minstd_rand gaps(seed);
    while (GetTickCount64() < end && !::testing::Test::HasFatalFailure()) {
        const ULONGLONG next = GetTickCount64() + std::uniform_int_distribution<int>(5000, 15000)(gaps);
        soak->InjectOne();
        while (GetTickCount64() < next && GetTickCount64() < end) Sleep(100);
    }
    if (!::testing::Test::HasFatalFailure()) soak->Finish();
    soak->Report(seed);
}
