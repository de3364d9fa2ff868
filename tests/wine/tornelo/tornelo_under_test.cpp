#include "tornelo_under_test.h"

#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "menu_probe.h"
#include "motion/motion.h"
#include "motion/platform_seam.h"
#include "shell/app_state.h"

namespace tornelo_test {

namespace {

constexpr DWORD kStartTimeoutMs = 15000;
constexpr DWORD kEndTimeoutMs = 8000;

bool HasClassName(HWND window, const char* className) {
    char name[64] = {};
    if (GetClassNameA(window, name, sizeof name) == 0) return false;
    return std::strcmp(name, className) == 0;
}

DWORD ProcessOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

struct WindowSearch {
    const char* className;
    DWORD processId;
    int controlId;     // 0: any
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM searchAddress) {
    auto* search = reinterpret_cast<WindowSearch*>(searchAddress);
    if (!HasClassName(window, search->className)) return TRUE;
    if (ProcessOf(window) != search->processId) return TRUE;
    if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
    if (search->controlId != 0 && GetDlgItem(window, search->controlId) == nullptr) return TRUE;
    search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindows(const char* className, DWORD processId, int controlId, bool visibleOnly) {
    WindowSearch search{className, processId, controlId, visibleOnly, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PostKey(HWND window, WPARAM key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

bool IsSeparatorPosition(int position) { return position == 3 || position == 5; }

// Before a start: from then on tornelo's trace is heard too.
std::string ListenAndDescribeTorneloWindows() {
    ListenToDebugOutput();
    return DescribeTorneloWindows();
}

}  // namespace

ScreenSize FullScreenSize() {
    return {GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)};
}

int ScaleForDpi(int pixels) {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return MulDiv(pixels, dpi, 96);
}

void WriteSettingsFile(const TempFolder& folder, const std::string& line) {
    WriteWholeFile(folder.File("tornelo.ini"), line);
}

HWND FindMainWindowOf(DWORD processId) {
    std::vector<HWND> windows = TopLevelWindows("tornelo", processId, 0, false);
    return windows.empty() ? nullptr : windows.front();
}

bool TrayIconExists(HWND mainWindow) {
    NOTIFYICONDATAA icon = {};
    icon.cbSize = sizeof icon;
    icon.hWnd = mainWindow;
    icon.uID = kTrayIconId;
    icon.uFlags = 0;  // change nothing: only ask whether it is there
    return Shell_NotifyIconA(NIM_MODIFY, &icon) != FALSE;
}

std::string DescribeTorneloWindows() {
    std::string text;
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "tornelo", nullptr)) != nullptr) {
        char item[64];
        std::snprintf(item, sizeof item, "%s%p (process %lu)", text.empty() ? "" : ", ",
                      static_cast<void*>(window), static_cast<unsigned long>(ProcessOf(window)));
        text += item;
    }
    return text.empty() ? "none" : text;
}

Tornelo::Tornelo(const TempFolder& folder)
    : windowsBeforeStart_(ListenAndDescribeTorneloWindows()), process_(TorneloExe(), "", folder.Path()) {
    if (!process_.Started()) return;
    WaitUntil([this] {
        mainWindow_ = FindMainWindowOf(process_.Id());
        return mainWindow_ != nullptr || !process_.IsRunning();
    }, kStartTimeoutMs);
    // The window is there before its creation has run (tray icon, settings
    // file, first layout); that is over once the message loop waits.
    if (mainWindow_) WaitForInputIdle(process_.Handle(), kStartTimeoutMs);
}

std::string Tornelo::WhyNotReady() const {
    if (Ready()) return "";
    const std::string trace = process_.Started() ? DebugOutputOf(process_.Id()) : "";
    const std::string before = "; \"tornelo\" windows before the start: " + windowsBeforeStart_ +
                               ", now: " + DescribeTorneloWindows() + (trace.empty() ? "" : "; its trace: " + trace);
    if (!process_.Started()) return "tornelo.exe did not start" + before;
    DWORD exitCode = 0;
    if (!process_.IsRunning() && GetExitCodeProcess(process_.Handle(), &exitCode))
        return "tornelo.exe ended before its main window showed, exit code " + std::to_string(exitCode) + before;
    return "no main window of class \"tornelo\" within the start time" + before;
}

Tornelo::~Tornelo() {
    if (!process_.IsRunning()) return;
    HWND window = FindMainWindowOf(process_.Id());
    if (window) PostMessageA(window, WM_QUIT_REQUEST, 0, 0);
    DWORD exitCode = 0;
    process_.WaitForExit(kEndTimeoutMs, &exitCode);
    // Whatever still runs is terminated by ChildProcess.
}

bool Tornelo::Settle() const { return tornelo_test::Settle(mainWindow_); }

bool Tornelo::EndByQuitRequest(DWORD timeoutMs, DWORD* exitCode) {
    PostMessageA(mainWindow_, WM_QUIT_REQUEST, 0, 0);
    return process_.WaitForExit(timeoutMs, exitCode);
}

HWND FindOpenMenu(DWORD processId) {
    std::vector<HWND> menus = TopLevelWindows("#32768", processId, 0, true);
    return menus.empty() ? nullptr : menus.front();
}

POINT DefaultPointer() { return POINT{700, 600}; }

bool Settle(HWND mainWindow) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(mainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
}

bool PlacePointer(POINT pointer) {
    // The X server may still report an older position right after a warp:
    // the pointer counts as placed once it stays put.
    int steadyChecks = 0;
    return WaitUntil([&] {
        POINT now = {};
        GetCursorPos(&now);
        if (now.x == pointer.x && now.y == pointer.y) return ++steadyChecks >= 3;
        steadyChecks = 0;
        SetCursorPos(pointer.x, pointer.y);
        return false;
    }, 5000);
}

HWND PressTrayIcon(HWND mainWindow, POINT pointer, UINT buttonMessage, DWORD timeoutMs) {
    if (!PlacePointer(pointer)) return nullptr;
    PostMessageA(mainWindow, WM_TRAY_CALLBACK, 1, static_cast<LPARAM>(buttonMessage));
    DWORD processId = ProcessOf(mainWindow);
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = FindOpenMenu(processId)) != nullptr; }, timeoutMs);
    return menu;
}

bool ChooseMenuItem(HWND mainWindow, HWND menuWindow, int position) {
    // No item is selected when the menu opens: the first Down selects
    // position 0, and Down skips the separators.
    int downs = 0;
    for (int p = 0; p <= position; ++p) {
        if (!IsSeparatorPosition(p)) ++downs;
    }
    for (int i = 0; i < downs; ++i) PostKey(menuWindow, VK_DOWN);
    PostKey(menuWindow, VK_RETURN);
    bool closed = WaitUntil([&] { return !IsWindow(menuWindow) || !IsWindowVisible(menuWindow); }, 5000);
    if (!closed) return false;
    if (position == kExitItem) return true;  // the main window is gone by now
    return Settle(mainWindow);
}

bool ChooseFromTrayMenu(HWND mainWindow, int position, POINT pointer) {
    HWND menu = PressTrayIcon(mainWindow, pointer);
    if (!menu) return false;
    return ChooseMenuItem(mainWindow, menu, position);
}

bool DismissMenu(HWND mainWindow, HWND menuWindow) {
    PostKey(menuWindow, VK_ESCAPE);
    bool closed = WaitUntil([&] { return !IsWindow(menuWindow) || !IsWindowVisible(menuWindow); }, 5000);
    return closed && Settle(mainWindow);
}

namespace {

std::string OwnFolder() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

uintptr_t RemoteModuleBase(HANDLE process, const char* baseName) {
    std::vector<HMODULE> modules(512);
    const DWORD room = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
    DWORD bytesNeeded = 0;
    if (!EnumProcessModulesEx(process, modules.data(), room, &bytesNeeded, LIST_MODULES_ALL)) return 0;
    DWORD count = bytesNeeded / sizeof(HMODULE);
    for (DWORD i = 0; i < count && i < modules.size(); ++i) {
        char name[MAX_PATH] = {};
        if (GetModuleBaseNameA(process, modules[i], name, sizeof name) && lstrcmpiA(name, baseName) == 0) {
            return reinterpret_cast<uintptr_t>(modules[i]);
        }
    }
    return 0;
}

// A block of memory inside another process, released at the end.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, size_t size)
        : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    ~RemoteBlock() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    void* Address() const { return address_; }

private:
    HANDLE process_;
    void* address_;
};

// Runs the function at `remoteAddress` in `process` with `parameter`;
// true when its thread ended within the time with exit code 0.
bool RunRemoteThread(HANDLE process, uintptr_t remoteAddress, void* parameter) {
    auto start = reinterpret_cast<LPTHREAD_START_ROUTINE>(remoteAddress);
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, start, parameter, 0, nullptr);
    if (!thread) return false;
    bool ended = WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0;
    DWORD exitCode = 1;
    GetExitCodeThread(thread, &exitCode);
    CloseHandle(thread);
    return ended && exitCode == 0;
}

// The address in `process` of a function this process has at `localAddress`
// inside `localModule`, given where that module sits over there.
uintptr_t SameOffsetIn(uintptr_t remoteBase, HMODULE localModule, FARPROC localAddress) {
    return remoteBase + (reinterpret_cast<uintptr_t>(localAddress) - reinterpret_cast<uintptr_t>(localModule));
}

uintptr_t LoadProbeInto(HANDLE process, const std::string& probePath) {
    uintptr_t loaded = RemoteModuleBase(process, kMenuProbeLibrary);
    if (loaded) return loaded;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    uintptr_t remoteKernel = RemoteModuleBase(process, "kernel32.dll");
    if (!kernel || !remoteKernel) return 0;
    RemoteBlock path(process, probePath.size() + 1);
    if (!path.Address() || !WriteProcessMemory(process, path.Address(), probePath.c_str(), probePath.size() + 1, nullptr)) {
        return 0;
    }
    // LoadLibraryA returns the module's base, which an exit code cuts to 32
    // bits: look the module up afterwards instead.
    RunRemoteThread(process, SameOffsetIn(remoteKernel, kernel, GetProcAddress(kernel, "LoadLibraryA")), path.Address());
    return RemoteModuleBase(process, kMenuProbeLibrary);
}

bool ProbeMenu(DWORD processId, HMENU menu, MenuProbeRequest* request) {
    std::string probePath = OwnFolder() + "\\" + kMenuProbeLibrary;
    HMODULE localProbe = LoadLibraryA(probePath.c_str());
    if (!localProbe) return false;
    FARPROC entry = GetProcAddress(localProbe, kMenuProbeEntry);
    const ScopedHandle opened(OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                              PROCESS_VM_READ | PROCESS_VM_WRITE,
                                          FALSE, processId));
    if (!entry || !opened) return false;
    HANDLE process = opened.Get();
    bool done = false;
    uintptr_t remoteProbe = LoadProbeInto(process, probePath);
    if (remoteProbe) {
        RemoteBlock block(process, sizeof *request);
        *request = MenuProbeRequest{};
        request->menu = reinterpret_cast<uintptr_t>(menu);
        done = block.Address() && WriteProcessMemory(process, block.Address(), request, sizeof *request, nullptr) &&
               RunRemoteThread(process, SameOffsetIn(remoteProbe, localProbe, entry), block.Address()) &&
               ReadProcessMemory(process, block.Address(), request, sizeof *request, nullptr);
    }
    return done;
}

}  // namespace

MenuSnapshot ReadOpenMenu(HWND menuWindow) {
    MenuSnapshot snapshot;
    auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    if (!menu) return snapshot;
    MenuProbeRequest request;
    if (!ProbeMenu(ProcessOf(menuWindow), menu, &request) || request.count != kMenuItemCount) return snapshot;
    for (int position = 0; position < kMenuItemCount; ++position) {
        if (request.states[position] == static_cast<uint32_t>(-1)) return snapshot;
        snapshot.checked[position] = (request.states[position] & MF_CHECKED) != 0;
        request.texts[position][kMenuProbeTextSize - 1] = '\0';
        snapshot.texts[position] = request.texts[position];
    }
    snapshot.readable = true;
    return snapshot;
}

std::vector<HWND> DialogsWithControl(DWORD processId, int controlId) {
    return TopLevelWindows("#32770", processId, controlId, false);
}

HWND FindSettingsDialog(DWORD processId) {
    std::vector<HWND> dialogs = DialogsWithControl(processId, IDC_SETTINGS_APPLY);
    return dialogs.empty() ? nullptr : dialogs.front();
}

namespace {

std::string ControlOutsideClientArea(HWND dialog) {
    RECT client = {};
    GetClientRect(dialog, &client);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT bounds = {};
        GetWindowRect(child, &bounds);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&bounds), 2);
        RECT inside = {};
        IntersectRect(&inside, &bounds, &client);
        if (!EqualRect(&inside, &bounds)) return "control " + std::to_string(GetDlgCtrlID(child)) + " is cut off";
    }
    return "";
}

}  // namespace

std::string CheckSettingsDialogPlacement(HWND dialog, POINT pointer) {
    RECT frame = {};
    if (!GetWindowRect(dialog, &frame)) return "no dialog";
    const int extraWidth = (frame.right - frame.left) - ScaleForDpi(236);
    const int extraHeight = (frame.bottom - frame.top) - ScaleForDpi(437);
    std::string size = std::to_string(frame.right - frame.left) + "x" + std::to_string(frame.bottom - frame.top);
    if (extraWidth < 0 || extraHeight < 0) return "smaller than its fixed size: " + size;
    const int expectedLeft = std::max(0, static_cast<int>(pointer.x) - ScaleForDpi(230) - extraWidth);
    const int expectedTop = std::max(0, static_cast<int>(pointer.y) - ScaleForDpi(431) - extraHeight);
    if (frame.left != expectedLeft || frame.top != expectedTop)
        return "at (" + std::to_string(frame.left) + "," + std::to_string(frame.top) + "), size " + size +
               ", expected at (" + std::to_string(expectedLeft) + "," + std::to_string(expectedTop) + ")";
    return ControlOutsideClientArea(dialog);
}

HWND FindAboutBox(DWORD processId) {
    std::vector<HWND> dialogs = DialogsWithControl(processId, IDC_ABOUT_OK);
    return dialogs.empty() ? nullptr : dialogs.front();
}

std::string ControlText(HWND dialog, int controlId) {
    HWND control = GetDlgItem(dialog, controlId);
    if (!control) return "<no control>";
    char text[256] = {};
    // WM_GETTEXT itself: GetWindowText does not ask controls of other processes.
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    text[sizeof text - 1] = '\0';
    return text;
}

bool IsChecked(HWND dialog, int controlId) {
    HWND control = GetDlgItem(dialog, controlId);
    return control && SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void PressDialogButton(HWND dialog, int controlId) {
    // Posted, as a click arrives: a message sent from here would be handled
    // whenever tornelo waits on a message of its own, even halfway through a
    // tick while it moves an icon.
    HWND button = GetDlgItem(dialog, controlId);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

HWND OpenSettingsDialog(const Tornelo& tornelo, POINT pointer) {
    if (!ChooseFromTrayMenu(tornelo, kSettingsItem, pointer)) return nullptr;
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = FindSettingsDialog(tornelo.ProcessId())) != nullptr; }, 5000);
    return dialog;
}

void SetControlText(HWND dialog, int controlId, const char* text) {
    SendMessageA(GetDlgItem(dialog, controlId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void SetChecked(HWND dialog, int controlId, bool checked) {
    SendMessageA(GetDlgItem(dialog, controlId), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void EnterSettings(HWND dialog, const DialogEntries& entries) {
    for (int i = 0; i < 8; ++i) SetControlText(dialog, IDC_INNER_RADIUS + i, entries.texts[i]);
    SetChecked(dialog, IDC_LEFTWARD, !entries.rightward);
    SetChecked(dialog, IDC_RIGHTWARD, entries.rightward);
    SetChecked(dialog, IDC_CLOCKWISE, !entries.counterClockwise);
    SetChecked(dialog, IDC_COUNTER_CLOCKWISE, entries.counterClockwise);
}

std::vector<IconPosition> PositionsOf(const std::vector<DesktopIcon>& icons) {
    std::vector<IconPosition> positions;
    positions.reserve(icons.size());
    for (const DesktopIcon& icon : icons) positions.push_back({icon.x, icon.y});
    return positions;
}

TimedRead ReadIcons(const StandinDesktop& desktop) {
    ULONGLONG started = GetTickCount64();
    std::vector<IconPosition> positions = PositionsOf(desktop.Icons());
    return {positions, static_cast<DWORD>(GetTickCount64() - started)};
}

bool WaitForIcons(const StandinDesktop& desktop, const std::function<bool(const TimedRead&)>& condition,
                  DWORD timeoutMs, TimedRead* last) {
    const DWORD pauseMs = 150;
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        *last = ReadIcons(desktop);
        if (condition(*last)) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(pauseMs);
    }
}

bool IconsMoveWithin(const StandinDesktop& desktop, DWORD timeoutMs) {
    const std::vector<IconPosition> first = PositionsOf(desktop.Icons());
    TimedRead last;
    return WaitForIcons(desktop, [&](const TimedRead& read) { return read.positions != first; }, timeoutMs, &last);
}

int FramesSpannedBy(const TimedRead& read, double updateInterval) {
    return static_cast<int>(read.durationMs / (1000.0 * updateInterval)) + 2;
}

std::string Describe(const std::vector<IconPosition>& positions) {
    std::string text;
    char piece[48];
    for (size_t i = 0; i < positions.size(); ++i) {
        std::snprintf(piece, sizeof piece, "%s%zu:(%d,%d)", i ? " " : "", i, positions[i].x, positions[i].y);
        text += piece;
    }
    return text;
}

// ---- Reference engine ----

namespace {

class RecordingView final : public DesktopView {
public:
    void Reset(int count) {
        count_ = count;
        positions_.assign(static_cast<size_t>(count), IconPosition{INT_MIN, INT_MIN});
    }
    void SetCount(int count) {
        count_ = count;
        positions_.resize(static_cast<size_t>(count), IconPosition{INT_MIN, INT_MIN});
    }
    int ItemCount() override { return count_; }
    bool SetItemPosition(int item, uint32_t packedXY) override {
        if (item < 0 || item >= count_) return true;  // the list-view refuses such items too
        auto x = static_cast<int16_t>(static_cast<uint16_t>(packedXY & 0xFFFFu));
        auto y = static_cast<int16_t>(static_cast<uint16_t>(packedXY >> 16));
        positions_[static_cast<size_t>(item)] = {x, y};
        return true;
    }
    const std::vector<IconPosition>& Positions() const { return positions_; }

private:
    int count_ = 0;
    std::vector<IconPosition> positions_;
};

RecordingView recordingView;

void PrepareEngine(const Settings& settings, int itemCount) {
    ResetPlatform();
    ResetAppState();
    ResetIconRing();
    ScreenSize screen = FullScreenSize();
    screenWidth = screen.width;
    screenHeight = screen.height;
    recordingView.Reset(itemCount);
    platform.view = &recordingView;
    runningSettings = settings;
}

}  // namespace

ReferenceEngine::ReferenceEngine(const Settings& settings, int itemCount) {
    PrepareEngine(settings, itemCount);
    InitialLayout();
}

ReferenceEngine::~ReferenceEngine() { ResetPlatform(); }

std::vector<IconPosition> ReferenceEngine::Positions() const { return recordingView.Positions(); }

void ReferenceEngine::SetItemCount(int count) { recordingView.SetCount(count); }

void ReferenceEngine::Tick() { MotionTick(); }

std::vector<std::vector<IconPosition>> ReferenceEngine::RunTicks(int ticks) {
    std::vector<std::vector<IconPosition>> frames;
    frames.reserve(static_cast<size_t>(ticks) + 1);
    frames.push_back(Positions());
    for (int t = 0; t < ticks; ++t) {
        Tick();
        frames.push_back(Positions());
    }
    return frames;
}

std::vector<ItemSlot> RelayoutSlots(const Settings& settings, int itemCount) {
    ReferenceEngine engine(settings, itemCount);
    std::vector<ItemSlot> slots;
    for (int slot = 0; slot < iconRing.iconCount; ++slot) {
        SlotPolar polar = SpiralSlot(slot);
        slots.push_back({SlotToItem(slot), polar.angle, polar.radius});
    }
    return slots;
}

std::vector<ItemSlot> InitialSlots(const Settings& settings, int itemCount) {
    ReferenceEngine engine(settings, itemCount);
    std::vector<ItemSlot> slots;
    for (int slot = 0; slot < iconRing.iconCount; ++slot) {
        SlotPolar polar = InitialSpiralSlot(slot);
        slots.push_back({SlotToItem(slot), polar.angle, polar.radius});
    }
    return slots;
}

std::string MatchFrames(const std::vector<std::vector<IconPosition>>& frames,
                        const std::vector<IconPosition>& observed, int firstFrame, int spread) {
    const int frameCount = static_cast<int>(frames.size());
    std::vector<std::vector<int>> matches(observed.size());
    for (size_t item = 0; item < observed.size(); ++item) {
        for (int t = firstFrame; t < frameCount; ++t) {
            const std::vector<IconPosition>& frame = frames[static_cast<size_t>(t)];
            if (item < frame.size() && frame[item] == observed[item]) matches[item].push_back(t);
        }
    }
    for (size_t item = 0; item < observed.size(); ++item) {
        if (!matches[item].empty()) continue;
        char text[200];
        std::snprintf(text, sizeof text, "item %zu at (%d,%d) stands where the engine never puts it in frames %d..%d",
                      item, observed[item].x, observed[item].y, firstFrame, frameCount - 1);
        const std::vector<IconPosition>& first = frames[static_cast<size_t>(firstFrame)];
        if (item < first.size()) {
            size_t used = std::strlen(text);
            std::snprintf(text + used, sizeof text - used, " (frame %d has (%d,%d))", firstFrame, first[item].x,
                          first[item].y);
        }
        return text;
    }
    // The read-back goes through the items in index order while tornelo
    // goes on ticking (and moves the slots from the outermost in), so the
    // moments can only stay or advance from one item to the next.
    for (int start = firstFrame; start < frameCount; ++start) {
        int previous = start;
        bool consistent = true;
        for (const std::vector<int>& itemMatches : matches) {
            auto next = std::lower_bound(itemMatches.begin(), itemMatches.end(), previous);
            if (next == itemMatches.end() || *next > start + spread) {
                consistent = false;
                break;
            }
            previous = *next;
        }
        if (consistent) return "";
    }
    std::string text = "every icon stands on an engine position, but not of the same moment; first matching frames:";
    char piece[32];
    for (size_t item = 0; item < matches.size(); ++item) {
        std::snprintf(piece, sizeof piece, " %zu@%d", item, matches[item].front());
        text += piece;
    }
    return text;
}

namespace {


struct ObservedPolar {
    double angle;
    double radius;
};

// From the middle of the pixel: the engine truncates, so the exact point
// lies within that pixel (for on-screen positions).
ObservedPolar PolarOf(IconPosition position) {
    ScreenSize screen = FullScreenSize();
    double dx = position.x + 0.5 - screen.width / 2;
    double dy = position.y + 0.5 - screen.height / 2;
    return {std::atan2(dy, dx), std::hypot(dx, dy)};
}

size_t OutermostSlot(const std::vector<ItemSlot>& slots) {
    size_t outermost = 0;
    for (size_t i = 1; i < slots.size(); ++i) {
        if (slots[i].radius > slots[outermost].radius) outermost = i;
    }
    return outermost;
}

}  // namespace

double ObservedRingAngle(const std::vector<IconPosition>& observed, const std::vector<ItemSlot>& slots) {
    if (slots.empty()) return 0.0;
    const ItemSlot& reference = slots[OutermostSlot(slots)];
    if (reference.item < 0 || static_cast<size_t>(reference.item) >= observed.size()) return 0.0;
    return std::remainder(PolarOf(observed[static_cast<size_t>(reference.item)]).angle - reference.angle, kTwoPi);
}

std::string CheckOnTurnedSpiral(const std::vector<IconPosition>& observed, const std::vector<ItemSlot>& slots,
                                double angleTolerance) {
    if (slots.empty()) return "no slots";
    const ItemSlot& reference = slots[OutermostSlot(slots)];
    double ringAngle = ObservedRingAngle(observed, slots);
    char text[240];
    for (const ItemSlot& slot : slots) {
        if (slot.item < 0 || static_cast<size_t>(slot.item) >= observed.size()) {
            std::snprintf(text, sizeof text, "item %d is not on the desktop", slot.item);
            return text;
        }
        IconPosition position = observed[static_cast<size_t>(slot.item)];
        ObservedPolar polar = PolarOf(position);
        if (std::fabs(polar.radius - slot.radius) > 1.0) {
            std::snprintf(text, sizeof text, "item %d at (%d,%d) is %.2f px from the centre, its slot radius is %.2f",
                          slot.item, position.x, position.y, polar.radius, slot.radius);
            return text;
        }
        double turn = std::remainder(polar.angle - slot.angle - ringAngle, kTwoPi);
        double allowed = angleTolerance + 0.75 / slot.radius + 0.75 / reference.radius;
        if (std::fabs(turn) > allowed) {
            std::snprintf(text, sizeof text,
                          "item %d at (%d,%d) is turned %.4f rad from the others (allowed %.4f): not one rigid spiral",
                          slot.item, position.x, position.y, turn, allowed);
            return text;
        }
    }
    return "";
}

double TickAngle(const Settings& settings) {
    return std::fabs(kTwoPi * settings.updateInterval / settings.revolutionTime);
}

std::string CheckOnTurnedSpiral(const TimedRead& read, const std::vector<ItemSlot>& slots, const Settings& settings) {
    return CheckOnTurnedSpiral(read.positions, slots, FramesSpannedBy(read, settings.updateInterval) * TickAngle(settings));
}

}  // namespace tornelo_test
