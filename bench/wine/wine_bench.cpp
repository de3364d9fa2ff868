// Under Wine, against the stand-in desktop: tornelo's tick (the real engine
// with a view that sends to the stand-in, as tornelo's own does) against 800
// and 100 bare LVM_SETITEMPOSITION sends; the engine alone with a silent
// view; lokari.exe saving and restoring 300 and 800 icons against
// lokari_floor.exe doing only the transfers and messages of the same run,
// with and without lokari's start-up. Timing splits say where the time goes:
// the tick outside its messages, lokari's loops outside its view calls, the
// cost of a process start and of lokari's start-up.
// Prints "result NAME VALUE" lines (medians), "ratio NAME VALUE" lines
// (medians of the ratios of neighbouring runs) with "quartiles NAME Q1 Q3",
// and "runs NAME VALUE..." with every figure of a series.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "icon_snapshot.h"
#include "motion/icon_ring.h"
#include "motion/motion.h"
#include "motion/platform_seam.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "shell/mode_control.h"
#include "shell_floor.h"
#include "shell_view_access.h"
#include "view_styles.h"
#include "wine_test_support.h"

namespace {

// Each message waits for the stand-in's thread: on a loaded machine one
// pass over 800 icons can take seconds, so the rounds are few: odd, and a
// multiple of the three passes that take turns in each.
int TickRounds(int icons) { return icons >= 500 ? 15 : 63; }
int RunRounds(int icons) { return icons >= 500 ? 5 : 9; }
int MostRunRounds(int icons) { return icons >= 500 ? 21 : 41; }
constexpr int kEngineRounds = 201;
constexpr int kProcessStartRounds = 21;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Seconds(const std::function<void()>& work) {
    const double start = Now();
    work();
    return Now() - start;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::vector<double> Ratios(const std::vector<double>& figures, const std::vector<double>& floors) {
    std::vector<double> ratios;
    for (size_t i = 0; i < figures.size() && i < floors.size(); ++i)
        if (floors[i] > 0.0) ratios.push_back(figures[i] / floors[i]);
    return ratios;
}

// Every figure of a series, for judging its spread.
void Runs(const std::string& name, const std::vector<double>& values, double scale) {
    std::printf("runs %s", name.c_str());
    for (double value : values) std::printf(" %.1f", value * scale);
    std::printf("\n");
}

double Quartile(std::vector<double> values, int which) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[(values.size() - 1) * static_cast<size_t>(which) / 4];
}

void Result(const std::string& name, double value) { std::printf("result %s %.1f\n", name.c_str(), value); }

// The median of paired ratios, and their lower and upper quartile.
void Ratio(const std::string& name, const std::vector<double>& ratios) {
    std::printf("ratio %s %.4f\n", name.c_str(), Median(ratios));
    std::printf("quartiles %s %.4f %.4f\n", name.c_str(), Quartile(ratios, 1), Quartile(ratios, 3));
}

// Lets the stand-in repaint what the last pass moved, so that every timed
// pass starts from a painted desktop, as a tick 200 ms after the last does.
// Returns the seconds the repaint took.
double Settle(HWND view) {
    return Seconds([view] { UpdateWindow(view); });
}

// The engine's way to the stand-in: the same two messages tornelo's own
// view sends, sent the same way. With `timeSends` it also adds up the time
// spent inside the position messages, for splitting a tick into messages
// and the rest.
class SendingView final : public DesktopView {
public:
    SendingView(HWND view, bool timeSends) : view_(view), timeSends_(timeSends) {}
    int ItemCount() override {
        const double start = timeSends_ ? Now() : 0.0;
        const LRESULT count = SendAsTornelo(view_, LVM_GETITEMCOUNT, 0, 0);
        if (timeSends_) inCount += Now() - start;
        return count < 0 ? 0 : count > 100000 ? 100000 : static_cast<int>(count);
    }
    bool SetItemPosition(int item, uint32_t packedXY) override {
        const double start = timeSends_ ? Now() : 0.0;
        SendAsTornelo(view_, LVM_SETITEMPOSITION, static_cast<WPARAM>(item), static_cast<LPARAM>(packedXY));
        if (timeSends_) inSends += Now() - start;
        return true;
    }
    double inCount = 0.0;
    double inSends = 0.0;

private:
    HWND view_;
    bool timeSends_;
};

class SilentView final : public DesktopView {
public:
    explicit SilentView(int count) : count_(count) {}
    int ItemCount() override { return count_; }
    bool SetItemPosition(int, uint32_t packedXY) override {
        sink += packedXY;
        return true;
    }
    volatile uint32_t sink = 0;

private:
    int count_;
};

// Takes the engine's moves without sending them.
class CapturingView final : public DesktopView {
public:
    explicit CapturingView(int count) : count_(count) {}
    int ItemCount() override { return count_; }
    bool SetItemPosition(int item, uint32_t packedXY) override {
        moves.push_back({item, packedXY});
        return true;
    }
    std::vector<std::pair<int, uint32_t>> moves;

private:
    int count_;
};

// The moves of the next tick (a re-layout tick with `relayout`), found by
// running it on a capturing view and putting the engine back as it was: the
// floor sends exactly these, so that it moves the icons as the tick will.
std::vector<std::pair<int, uint32_t>> NextTickMoves(int icons, bool relayout) {
    static IconRing ring;  // too large for the stack
    ring = iconRing;
    const AppMode mode = appMode;
    const BlackHoleState hole = blackHole;
    const Settings settings = runningSettings;
    DesktopView* sending = platform.view;
    CapturingView capture(icons);
    platform.view = &capture;
    if (relayout) appMode.layoutDirty = 1;
    MotionTick();
    platform.view = sending;
    iconRing = ring;
    appMode = mode;
    blackHole = hole;
    runningSettings = settings;
    return capture.moves;
}

void SendMoves(HWND view, const std::vector<std::pair<int, uint32_t>>& moves, bool asTornelo) {
    for (const auto& move : moves) {
        const auto wParam = static_cast<WPARAM>(move.first);
        const auto lParam = static_cast<LPARAM>(move.second);
        if (asTornelo)
            SendAsTornelo(view, LVM_SETITEMPOSITION, wParam, lParam);
        else
            SendMessageA(view, LVM_SETITEMPOSITION, wParam, lParam);
    }
}

void StartEngine(DesktopView& view) {
    ResetEngine();
    platform.view = &view;
    screenWidth = GetSystemMetrics(SM_CXFULLSCREEN);
    screenHeight = GetSystemMetrics(SM_CYFULLSCREEN);
    runningSettings = DefaultSettings(screenHeight);
    runningSettings.maxIcons = 800;
    InitialLayout();
    MotionTick();
    MotionTick();
}

bool StandinReady(const StandinDesktop& desktop, int icons) {
    if (desktop.Ready() && desktop.IconCount() == icons) return true;
    std::printf("error: no stand-in desktop with %d icons\n", icons);
    return false;
}

// Runs of several kinds next to each other, the kind that goes first turning
// with the round, so that a machine getting slower or faster favours none.
void RunSideBySide(int round, const std::vector<std::function<double()>>& kinds,
                   std::vector<std::vector<double>>* series) {
    series->resize(kinds.size());
    for (size_t i = 0; i < kinds.size(); ++i) {
        const size_t kind = (static_cast<size_t>(round) + i) % kinds.size();
        (*series)[kind].push_back(kinds[kind]());
    }
}

bool MeasureTicks(int icons) {
    StandinDesktop desktop("--icons " + std::to_string(icons));
    if (!StandinReady(desktop, icons)) return false;
    HWND view = desktop.ListView();
    SendingView sending(view, false);
    StartEngine(sending);
    // Every timed pass moves every icon from the grid to the places the tick
    // puts them: the floor with bare messages, plain and as tornelo sends
    // them, and the tick itself, the icons put back on the grid before each.
    std::vector<double> floorBeforeRelayout, relayout, repaint;
    std::vector<std::vector<double>> beforeAndTick;  // the floor, the floor with tornelo's send, the tick
    const auto fromTheGrid = [&](const std::function<void()>& pass) {
        SendBarePositions(view, icons, 10, 10);
        repaint.push_back(Settle(view));
        const double seconds = Seconds(pass);
        Settle(view);
        return seconds;
    };
    for (int round = 0; round < TickRounds(icons); ++round) {
        const auto moves = NextTickMoves(icons, false);
        // Each pass takes each place in the round in turn, so that what a
        // pass leaves behind in the stand-in favours none.
        RunSideBySide(round,
                      {[&] { return fromTheGrid([&] { SendMoves(view, moves, false); }); },
                       [&] { return fromTheGrid([&] { SendMoves(view, moves, true); }); },
                       [&] { return fromTheGrid([] { MotionTick(); }); }},
                      &beforeAndTick);
        const auto relayoutMoves = NextTickMoves(icons, true);
        floorBeforeRelayout.push_back(fromTheGrid([&] { SendMoves(view, relayoutMoves, false); }));
        relayout.push_back(fromTheGrid([] {
            appMode.layoutDirty = 1;
            MotionTick();
        }));
    }
    // The cost of the message alone, without a repaint: sends to the
    // positions the icons hold, plain and as tornelo sends them in turn.
    std::vector<double> unmoved, tornelosUnmoved;
    SendBarePositions(view, icons, 10, 10);
    Settle(view);
    for (int round = 0; round < 10; ++round) {
        const bool asTornelo = round % 2 == 1;
        const double pass = Seconds([&] { SendBarePositions(view, icons, 10, 10, asTornelo); });
        (asTornelo ? tornelosUnmoved : unmoved).push_back(pass);
    }
    // The tick split into its position messages, its one count message and
    // everything else.
    SendingView timing(view, true);
    StartEngine(timing);
    std::vector<double> countMessage, outsideMessages, relayoutOutsideMessages;
    const auto splitTick = [&](bool relayoutTick, std::vector<double>* outside) {
        SendBarePositions(view, icons, 10, 10);
        Settle(view);
        timing.inCount = timing.inSends = 0.0;
        const double whole = Seconds([relayoutTick] {
            if (relayoutTick) appMode.layoutDirty = 1;
            MotionTick();
        });
        countMessage.push_back(timing.inCount);
        outside->push_back(whole - timing.inCount - timing.inSends);
    };
    for (int round = 0; round < 3; ++round) {
        splitTick(false, &outsideMessages);
        splitTick(true, &relayoutOutsideMessages);
    }
    SilentView silent(icons);
    StartEngine(silent);
    std::vector<double> engine;
    for (int round = 0; round < kEngineRounds; ++round) engine.push_back(Seconds([] { MotionTick(); }));
    ResetPlatform();

    const std::vector<double>& floorBeforeTick = beforeAndTick[0];
    const std::vector<double>& tornelosFloorBeforeTick = beforeAndTick[1];
    const std::vector<double>& tick = beforeAndTick[2];
    std::vector<double> floor = floorBeforeTick;
    floor.insert(floor.end(), floorBeforeRelayout.begin(), floorBeforeRelayout.end());
    const std::string n = std::to_string(icons);
    Runs("floor_sends_" + n + "_us", floor, 1e6);
    Runs("tick_" + n + "_us", tick, 1e6);
    Runs("relayout_tick_" + n + "_us", relayout, 1e6);
    Result("floor_sends_" + n + "_us", Median(floor) * 1e6);
    Result("tornelos_floor_sends_" + n + "_us", Median(tornelosFloorBeforeTick) * 1e6);
    Runs("tornelos_floor_sends_" + n + "_us", tornelosFloorBeforeTick, 1e6);
    Result("tick_" + n + "_us", Median(tick) * 1e6);
    Result("relayout_tick_" + n + "_us", Median(relayout) * 1e6);
    Result("engine_tick_" + n + "_us", Median(engine) * 1e6);
    Result("unmoved_sends_" + n + "_us", Median(unmoved) * 1e6);
    Result("tornelos_unmoved_sends_" + n + "_us", Median(tornelosUnmoved) * 1e6);
    Result("repaint_after_sends_" + n + "_us", Median(repaint) * 1e6);
    Result("tick_count_message_" + n + "_us", Median(countMessage) * 1e6);
    Result("tick_outside_messages_" + n + "_us", Median(outsideMessages) * 1e6);
    Result("relayout_tick_outside_messages_" + n + "_us", Median(relayoutOutsideMessages) * 1e6);
    Ratio("tick_" + n + "_vs_floor", Ratios(tick, floorBeforeTick));
    Ratio("tick_" + n + "_vs_tornelos_floor", Ratios(tick, tornelosFloorBeforeTick));
    Ratio("tornelos_floor_" + n + "_vs_floor", Ratios(tornelosFloorBeforeTick, floorBeforeTick));
    Ratio("relayout_tick_" + n + "_vs_floor", Ratios(relayout, floorBeforeRelayout));
    return true;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// Seconds from the start of the process to its end.
double TimedRun(const std::string& exe, const std::string& tail, const std::string& folder, bool* ok) {
    long code = -1;
    const double seconds = Seconds([&] { code = RunToExit(exe, tail, folder, 120000); });
    if (code != 0) {
        std::printf("error: %s %s ended with %ld\n", exe.c_str(), tail.c_str(), code);
        *ok = false;
    }
    return seconds;
}

// The series of a lokari operation: lokari itself, the floor, and the floor
// with lokari's start-up.
enum Kind { kLokari, kFloor, kFloorWithStartUp };

void ReportRuns(const std::string& op, const std::string& n, const std::vector<std::vector<double>>& series) {
    const std::string lokari = "lokari_" + op + "_" + n, floor = "floor_" + op + "_" + n,
                      floorWithStartUp = "floor_startup_" + op + "_" + n;
    Runs(lokari + "_ms", series[kLokari], 1e3);
    Runs(floor + "_ms", series[kFloor], 1e3);
    Runs(floorWithStartUp + "_ms", series[kFloorWithStartUp], 1e3);
    Result(lokari + "_ms", Median(series[kLokari]) * 1e3);
    Result(floor + "_ms", Median(series[kFloor]) * 1e3);
    Result(floorWithStartUp + "_ms", Median(series[kFloorWithStartUp]) * 1e3);
    Ratio(lokari + "_vs_floor", Ratios(series[kLokari], series[kFloor]));
    Ratio(floorWithStartUp + "_vs_floor", Ratios(series[kFloorWithStartUp], series[kFloor]));
    Ratio(lokari + "_vs_floor_startup", Ratios(series[kLokari], series[kFloorWithStartUp]));
}

bool IconsOnGrid(const StandinDesktop& desktop, int x0, int y0) {
    for (const DesktopIcon& icon : desktop.Icons()) {
        const POINT expected = BareGridPoint(icon.index, x0, y0);
        if (icon.x != expected.x || icon.y != expected.y) {
            std::printf("error: icon %d at (%d, %d) after the restore\n", icon.index, icon.x, icon.y);
            return false;
        }
    }
    return true;
}

// lokari's own view access with the time inside its calls added up, for
// splitting the save and restore loops into the view's work and lokari's.
class TimingIconView final : public IconView {
public:
    explicit TimingIconView(IconView& inner) : inner_(inner) {}
    int ItemCount() const override { return inner_.ItemCount(); }
    bool RequestItem(int index, ItemRequest request) override {
        const double start = Now();
        const bool done = inner_.RequestItem(index, request);
        inView += Now() - start;
        return done;
    }
    const char* Label() const override { return inner_.Label(); }
    const char* ExactAnsiLabel() const override { return inner_.ExactAnsiLabel(); }
    ViewPoint Position() const override { return inner_.Position(); }
    void SetItemPosition(int index, std::int32_t x, std::int32_t y) override {
        const double start = Now();
        inner_.SetItemPosition(index, x, y);
        inView += Now() - start;
    }
    bool PlaceIsShown(ViewPoint place) override {
        const double start = Now();
        const bool shown = inner_.PlaceIsShown(place);
        inView += Now() - start;
        return shown;
    }
    bool OriginOnScreen(ViewPoint* origin) override {
        const double start = Now();
        const bool told = inner_.OriginOnScreen(origin);
        inView += Now() - start;
        return told;
    }
    bool Answering() const override { return inner_.Answering(); }
    double inView = 0.0;

private:
    IconView& inner_;
};

// One table for every round, as one restore reads its file once.
SnapshotTable splitTable;

// A lokari run inside this process, phase by phase (seconds, one per round):
// what a process start and lokari's start-up cost is measured apart
// (MeasureStart). `loopShell` is the loop's time inside the view's calls, the
// same messages and transfers the floor's loop makes; the rest is lokari's own.
struct RunPhases {
    std::vector<double> read, open, measure, styles, loopShell, loopOwn, end;
};

// The phases that are lokari's own work (all but the loop's view calls), in
// milliseconds: the medians added up.
double OwnMs(const RunPhases& phases) {
    return (Median(phases.read) + Median(phases.open) + Median(phases.measure) + Median(phases.styles) +
            Median(phases.loopOwn) + Median(phases.end)) *
           1e3;
}

void ReportPhases(const std::string& op, const std::string& n, const RunPhases& phases) {
    const std::pair<const char*, const std::vector<double>*> named[] = {
        {"read", &phases.read},       {"open", &phases.open},           {"measure", &phases.measure},
        {"styles", &phases.styles},   {"loop_shell", &phases.loopShell}, {"loop_own", &phases.loopOwn},
        {"end", &phases.end}};
    for (const auto& [name, values] : named) Result(op + "_phase_" + name + "_" + n + "_ms", Median(*values) * 1e3);
    Result(op + "_own_" + n + "_ms", OwnMs(phases));
}

// Opens lokari's view access, as a run does after reading its file.
std::unique_ptr<ShellViewAccess> TimedOpen(ItemRequest requests, LabelText labels, RunPhases* phases) {
    std::unique_ptr<ShellViewAccess> access;
    phases->open.push_back(Seconds([&] { access = std::make_unique<ShellViewAccess>(requests, labels); }));
    return access;
}

void TimedEnd(std::unique_ptr<ShellViewAccess> access, RunPhases* phases) {
    phases->end.push_back(Seconds([&] { access.reset(); }));
}

// The save, writing to a file as a save does; the origin it measures at the
// end is the measuring phase.
void SplitSave(const TempFolder& folder, RunPhases* phases) {
    std::unique_ptr<ShellViewAccess> access = TimedOpen(ItemRequest::LabelAndPosition, LabelText::Unicode, phases);
    ViewPoint origin = {0, 0};
    phases->measure.push_back(Seconds([&] { access->OriginOnScreen(&origin); }));
    TimingIconView timing(*access);
    std::FILE* file = std::fopen(folder.File("split.dat").c_str(), "w");
    if (file == nullptr) return;
    const double whole = Seconds([&] { WriteSnapshot(timing, file); });
    std::fclose(file);
    phases->read.push_back(0.0);
    phases->styles.push_back(0.0);
    phases->loopShell.push_back(timing.inView);
    phases->loopOwn.push_back(whole - timing.inView);
    TimedEnd(std::move(access), phases);
}

// The restore: reading the file, opening, measuring the view's place, the
// icon's box and the work areas (which the first judged place does), the
// styles set aside and put back, the loop, icons starting elsewhere.
void SplitRestore(HWND view, int icons, const std::string& snapshot, RunPhases* phases) {
    phases->read.push_back(Seconds([&] { LoadSnapshotFile(snapshot.c_str(), splitTable); }));
    SendBarePositions(view, icons, 300, 200);
    Settle(view);
    const LabelText labels = splitTable.text == SnapshotText::Utf8 ? LabelText::Unicode : LabelText::Ansi;
    std::unique_ptr<ShellViewAccess> access = TimedOpen(ItemRequest::LabelOnly, labels, phases);
    phases->measure.push_back(Seconds([&] {
        ViewPoint origin = {0, 0};
        access->OriginOnScreen(&origin);
        access->PlaceIsShown({0, 0});
    }));
    ClearedArrangingStyles cleared;
    double styles = Seconds([&] {
        ArrangingStyles now = {false, false};
        ReadArrangingStyles(access->View(), kShellAnswerLimitMs, &now);
        cleared.Clear(access->View(), {false, true}, kShellAnswerLimitMs);
    });
    TimingIconView timing(*access);
    const double whole = Seconds([&] { RestoreFromSnapshot(splitTable, timing); });
    styles += Seconds([&] { cleared.PutBack(kShellAnswerLimitMs); });
    phases->styles.push_back(styles);
    phases->loopShell.push_back(timing.inView);
    phases->loopOwn.push_back(whole - timing.inView);
    TimedEnd(std::move(access), phases);
}

// Whether the paired ratios' quartiles lie within 10 % of their median.
bool Tight(const std::vector<double>& ratios) {
    const double median = Median(ratios);
    return median > 0.0 && Quartile(ratios, 1) >= 0.9 * median && Quartile(ratios, 3) <= 1.1 * median;
}

bool MeasureLokari(int icons) {
    StandinDesktop desktop("--icons " + std::to_string(icons));
    if (!StandinReady(desktop, icons)) return false;
    HWND view = desktop.ListView();
    TempFolder folder;
    const std::string lokari = LokariExe();
    const std::string floorExe = FolderOf(lokari) + "\\lokari_floor.exe";
    bool ok = true;

    // The snapshot every restore reads: the icons on the grid at (10, 10).
    SendBarePositions(view, icons, 10, 10);
    TimedRun(lokari, "", folder.Path(), &ok);
    const std::vector<std::string> files = folder.FileNames();
    if (files.empty()) {
        std::printf("error: lokari saved no snapshot\n");
        return false;
    }
    const std::string snapshot = "\"" + folder.File(files.front()) + "\"";

    const auto save = [&](const std::string& exe, const std::string& tail) {
        return [&, exe, tail] {
            Settle(view);
            return TimedRun(exe, tail, folder.Path(), &ok);
        };
    };
    // Both restores move every icon from elsewhere back onto the grid.
    const auto restore = [&](const std::string& exe, const std::string& tail) {
        return [&, exe, tail] {
            SendBarePositions(view, icons, 300, 200);
            Settle(view);
            return TimedRun(exe, tail, folder.Path(), &ok);
        };
    };
    std::vector<std::vector<double>> saves, restores;
    // More rounds while either judged ratio (against the floor with lokari's
    // start-up) spreads wider than 10 % of its median, up to a bound: under
    // Wine single runs spread several-fold.
    const auto spreadWide = [&] {
        return !Tight(Ratios(saves[kLokari], saves[kFloorWithStartUp])) ||
               !Tight(Ratios(restores[kLokari], restores[kFloorWithStartUp]));
    };
    for (int round = 0; ok && (round < RunRounds(icons) || (round < MostRunRounds(icons) && spreadWide())); ++round) {
        RunSideBySide(round, {save(lokari, ""), save(floorExe, "save"), save(floorExe, "entry save")}, &saves);
        RunSideBySide(round,
                      {restore(lokari, snapshot), restore(floorExe, "restore 10 10"),
                       restore(floorExe, "entry restore 10 10")},
                      &restores);
    }
    if (ok) ok = IconsOnGrid(desktop, 10, 10);
    // lokari's loops and the floor's inside this process, without a process
    // start: the view's share and lokari's.
    RunPhases saveSplit, restoreSplit;
    std::vector<double> bareSave, bareRestore;
    for (int round = 0; round < 3 && ok; ++round) {
        Settle(view);
        SplitSave(folder, &saveSplit);
        Settle(view);
        bareSave.push_back(Seconds([] { BareItemLoop(false, 0, 0); }));
        SplitRestore(view, icons, snapshot, &restoreSplit);
        if (round == 0) ok = IconsOnGrid(desktop, 10, 10);
        SendBarePositions(view, icons, 300, 200);
        Settle(view);
        bareRestore.push_back(Seconds([] { BareItemLoop(true, 10, 10); }));
    }
    if (!ok) return false;

    const std::string n = std::to_string(icons);
    ReportRuns("save", n, saves);
    ReportRuns("restore", n, restores);
    Result("save_loop_" + n + "_ms", (Median(saveSplit.loopShell) + Median(saveSplit.loopOwn)) * 1e3);
    Result("bare_save_loop_" + n + "_ms", Median(bareSave) * 1e3);
    Result("restore_loop_" + n + "_ms", (Median(restoreSplit.loopShell) + Median(restoreSplit.loopOwn)) * 1e3);
    Result("bare_restore_loop_" + n + "_ms", Median(bareRestore) * 1e3);
    Result("save_loop_outside_view_" + n + "_ms", Median(saveSplit.loopOwn) * 1e3);
    Result("restore_loop_outside_view_" + n + "_ms", Median(restoreSplit.loopOwn) * 1e3);
    Result("restore_file_read_" + n + "_ms", Median(restoreSplit.read) * 1e3);
    ReportPhases("save", n, saveSplit);
    ReportPhases("restore", n, restoreSplit);
    std::printf("rounds lokari_%s %zu\n", n.c_str(), saves[kLokari].size());
    return true;
}

// The fixed cost of a run: a process that only starts and ends, and one that
// also does lokari's start-up steps, in alternating order; the extra is the
// median of the differences within each pair.
bool MeasureStart() {
    TempFolder folder;
    const std::string floorExe = FolderOf(LokariExe()) + "\\lokari_floor.exe";
    bool ok = true;
    std::vector<std::vector<double>> starts;
    for (int round = 0; round < kProcessStartRounds && ok; ++round) {
        RunSideBySide(round,
                      {[&] { return TimedRun(floorExe, "entry", folder.Path(), &ok); },
                       [&] { return TimedRun(floorExe, "nothing", folder.Path(), &ok); }},
                      &starts);
    }
    if (!ok) return false;
    const std::vector<double>& entry = starts[0];
    const std::vector<double>& nothing = starts[1];
    std::vector<double> extra;
    for (size_t i = 0; i < entry.size() && i < nothing.size(); ++i) extra.push_back(entry[i] - nothing[i]);
    Runs("process_entry_ms", entry, 1e3);
    Runs("process_nothing_ms", nothing, 1e3);
    Result("process_entry_ms", Median(entry) * 1e3);
    Result("process_nothing_ms", Median(nothing) * 1e3);
    Result("process_entry_extra_ms", Median(extra) * 1e3);
    std::printf("quartiles process_entry_extra_ms %.1f %.1f\n", Quartile(extra, 1) * 1e3, Quartile(extra, 3) * 1e3);
    return true;
}

bool Measure(const std::string& part, int icons) {
    if (part == "ticks") return MeasureTicks(icons);
    if (part == "lokari") return MeasureLokari(icons);
    if (part == "start") return MeasureStart();
    std::printf("error: unknown part %s\n", part.c_str());
    return false;
}

}  // namespace

// wine_bench.exe [ticks N | lokari N | start 0]...; without arguments everything.
int main(int argc, char** argv) {
    // Each figure is out as soon as it is known, even if a later part hangs.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    bool ok = true;
    if (argc < 2) {
        for (int icons : {800, 100}) ok = MeasureTicks(icons) && ok;
        for (int icons : {300, 800}) ok = MeasureLokari(icons) && ok;
        ok = MeasureStart() && ok;
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        ok = Measure(argv[i], std::atoi(argv[i + 1])) && ok;
    }
    return ok ? 0 : 1;
}
