// Driving a real tornelo.exe from a test: starting and ending it, its tray
// icon, its popup menu and dialogs, and the positions the engine itself
// predicts for the icons it moves.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "motion/icon_ring.h"
#include "resources/resource_ids.h"
#include "shell/main_window_ids.h"
#include "settings/settings.h"
#include "wine_test_support.h"

namespace tornelo_test {

// Positions of the popup menu's items (separators at 3 and 5).
enum MenuPosition : int {
    kNormalItem = 0,
    kMayimMayimItem = 1,
    kBlackHoleItem = 2,
    kRepeatItem = 4,
    kSettingsItem = 6,
    kAboutItem = 7,
    kExitItem = 8,
};
constexpr int kMenuItemCount = 9;

// The full-screen size as tornelo measures it at start-up.
struct ScreenSize {
    int width;
    int height;
};
ScreenSize FullScreenSize();

// Dialog sizes are given at 96 DPI.
int ScaleForDpi(int pixels);

// The settings file in a test's folder, byte for byte.
void WriteSettingsFile(const TempFolder& folder, const std::string& line);

// The top-level window of class "tornelo" that belongs to a process.
HWND FindMainWindowOf(DWORD processId);
// Wine answers NIM_MODIFY with TRUE only while the icon (window, uID 1) exists.
bool TrayIconExists(HWND mainWindow);

// "tornelo" windows of any process, as "window (process id)" items, or "none".
std::string DescribeTorneloWindows();

// One started tornelo.exe, working folder = the test's folder. The
// destructor ends it: quit request first, termination as a last resort.
class Tornelo {
public:
    explicit Tornelo(const TempFolder& folder);
    ~Tornelo();
    Tornelo(const Tornelo&) = delete;
    Tornelo& operator=(const Tornelo&) = delete;

    bool Ready() const { return mainWindow_ != nullptr; }
    // What went wrong when not Ready(), for the failure message.
    std::string WhyNotReady() const;
    HWND MainWindow() const { return mainWindow_; }
    DWORD ProcessId() const { return process_.Id(); }
    ChildProcess& Process() { return process_; }

    bool Settle() const;  // see the free function

    // Posts the quit request and waits for the end; true when it ended.
    bool EndByQuitRequest(DWORD timeoutMs, DWORD* exitCode);

private:
    // Taken before the start: a copy still running makes a new one quit at once.
    std::string windowsBeforeStart_;
    ChildProcess process_;
    HWND mainWindow_ = nullptr;
};

// The open popup menu ("#32768") of a process, or null.
HWND FindOpenMenu(DWORD processId);

// Returns once a WM_NULL sent to the main window has been answered: what
// was sent before, and the handler running at the time, are done.
bool Settle(HWND mainWindow);

// Puts the pointer there and waits until it stays there.
bool PlacePointer(POINT pointer);
// Puts the pointer at `pointer` and presses the tray icon with `button`;
// returns the opened menu window (null when none opens within the time).
HWND PressTrayIcon(HWND mainWindow, POINT pointer, UINT buttonMessage = WM_LBUTTONDOWN, DWORD timeoutMs = 5000);
// Chooses the item at `position` of the open menu with the keyboard;
// true when the menu closed and tornelo handled the choice.
bool ChooseMenuItem(HWND mainWindow, HWND menuWindow, int position);
// Opens the menu at `pointer` and chooses `position`.
bool ChooseFromTrayMenu(HWND mainWindow, int position, POINT pointer);
// Closes an open menu without a choice.
bool DismissMenu(HWND mainWindow, HWND menuWindow);
POINT DefaultPointer();

inline HWND PressTrayIcon(const Tornelo& tornelo, POINT pointer, UINT buttonMessage = WM_LBUTTONDOWN,
                          DWORD timeoutMs = 5000) {
    return PressTrayIcon(tornelo.MainWindow(), pointer, buttonMessage, timeoutMs);
}
inline bool ChooseMenuItem(const Tornelo& tornelo, HWND menuWindow, int position) {
    return ChooseMenuItem(tornelo.MainWindow(), menuWindow, position);
}
inline bool ChooseFromTrayMenu(const Tornelo& tornelo, int position, POINT pointer) {
    return ChooseFromTrayMenu(tornelo.MainWindow(), position, pointer);
}
inline bool DismissMenu(const Tornelo& tornelo, HWND menuWindow) { return DismissMenu(tornelo.MainWindow(), menuWindow); }

// The open popup menu as tornelo itself sees it: the check state of each
// position and the item texts in tornelo's ANSI code page (read inside
// tornelo's process: see menu_probe.h). `readable` is false when that fails.
struct MenuSnapshot {
    bool readable = false;
    bool checked[kMenuItemCount] = {};
    std::string texts[kMenuItemCount];
};
MenuSnapshot ReadOpenMenu(HWND menuWindow);

// tornelo's dialogs: top-level "#32770" windows of its process, told apart
// by a control only each of them has.
std::vector<HWND> DialogsWithControl(DWORD processId, int controlId);
HWND FindSettingsDialog(DWORD processId);
HWND FindAboutBox(DWORD processId);
std::string ControlText(HWND dialog, int controlId);
bool IsChecked(HWND dialog, int controlId);
// Presses a dialog's button the way the button itself reports a click
// (posted: returns at once; wait for the effect).
void PressDialogButton(HWND dialog, int controlId);
// Opens the settings dialog from the menu; null when none opened.
HWND OpenSettingsDialog(const Tornelo& tornelo, POINT pointer = DefaultPointer());
void SetControlText(HWND dialog, int controlId, const char* text);
void SetChecked(HWND dialog, int controlId, bool checked);
// What a user types and ticks in the settings dialog.
struct DialogEntries {
    const char* texts[8];  // edits 111 to 118
    bool rightward;
    bool counterClockwise;
};
void EnterSettings(HWND dialog, const DialogEntries& entries);
// The settings dialog's placement: at least its fixed size, grown where the
// font that stands in for the template's needs more room, every control
// inside its client area, the lower-right corner just past the pointer and
// no edge off the top or left. Empty when all holds, else what does not.
std::string CheckSettingsDialogPlacement(HWND dialog, POINT pointer);

// ---- Expected positions, from the engine tornelo.exe itself links ----

// An icon position as the list-view stores it.
struct IconPosition {
    int x;
    int y;
    bool operator==(const IconPosition& other) const { return x == other.x && y == other.y; }
};
std::vector<IconPosition> PositionsOf(const std::vector<DesktopIcon>& icons);
std::string Describe(const std::vector<IconPosition>& positions);

// A read-back of every icon and how long it took: tornelo goes on ticking
// meanwhile, so one read-back can span several of its moments.
struct TimedRead {
    std::vector<IconPosition> positions;
    DWORD durationMs;
};
TimedRead ReadIcons(const StandinDesktop& desktop);
// Reads the icons until the condition holds for a read-back or the time
// runs out, pausing between reads: every read keeps the stand-in busy,
// which holds up tornelo's moves. `last` gets the last read-back.
bool WaitForIcons(const StandinDesktop& desktop, const std::function<bool(const TimedRead&)>& condition,
                  DWORD timeoutMs, TimedRead* last);
// True once some icon stands elsewhere than at the call, within the time.
bool IconsMoveWithin(const StandinDesktop& desktop, DWORD timeoutMs);
// How many consecutive moments of tornelo such a read-back may span.
int FramesSpannedBy(const TimedRead& read, double updateInterval);

// Runs the real engine in this process against a recording view with the
// given number of items, the screen size tornelo sees and the given
// settings. One at a time: the engine's state is global.
class ReferenceEngine {
public:
    ReferenceEngine(const Settings& settings, int itemCount);
    ~ReferenceEngine();
    ReferenceEngine(const ReferenceEngine&) = delete;
    ReferenceEngine& operator=(const ReferenceEngine&) = delete;

    // Where the items stand now; items never moved are absent (size = moved prefix).
    std::vector<IconPosition> Positions() const;
    void SetItemCount(int count);
    void Tick();
    // Frames: positions after InitialLayout (frame 0) and after each tick.
    std::vector<std::vector<IconPosition>> RunTicks(int ticks);
};

// Polar place of each item's slot on a spiral computed afresh for these
// settings and this many icons, as a re-layout does.
struct ItemSlot {
    int item;
    double angle;   // relative to the ring angle
    double radius;
};
std::vector<ItemSlot> RelayoutSlots(const Settings& settings, int itemCount);
std::vector<ItemSlot> InitialSlots(const Settings& settings, int itemCount);

// Empty when every item's position equals its position in one of the
// frames, the frames (at or after `firstFrame`) never going back from one
// item to the next and spanning at most `spread` frames; otherwise a
// description of the mismatch.
std::string MatchFrames(const std::vector<std::vector<IconPosition>>& frames,
                        const std::vector<IconPosition>& observed, int firstFrame, int spread);

// Empty when the icons stand on the given slots of a spiral turned by one
// common angle: each icon's distance from the screen centre within one
// pixel of its slot radius, and all turned alike within `angleTolerance`
// (radians, besides each icon's one-pixel share).
std::string CheckOnTurnedSpiral(const std::vector<IconPosition>& observed, const std::vector<ItemSlot>& slots,
                                double angleTolerance);
// The same for a read-back while tornelo turns the spiral with these
// settings: the angle tolerance covers the ticks the read-back spans.
std::string CheckOnTurnedSpiral(const TimedRead& read, const std::vector<ItemSlot>& slots, const Settings& settings);
// How far one tick turns the spiral in the normal mode (radians, unsigned).
double TickAngle(const Settings& settings);
// The common turn found by CheckOnTurnedSpiral, from the outermost slot.
double ObservedRingAngle(const std::vector<IconPosition>& observed, const std::vector<ItemSlot>& slots);

}  // namespace tornelo_test
