#include "shell/win_main_window.h"

#include <mmsystem.h>
#include <shellapi.h>

#include <cstdio>
#include <initializer_list>

#include "debug_trace.h"
#include "motion/motion.h"
#include "resources/resource_ids.h"
#include "shell/app_state.h"
#include "shell/mode_control.h"
#include "shell/win_display.h"
#include "shell/win_platform.h"
#include "shell/win_shell.h"
#include "shell/win_tray_menu.h"

namespace {

const char kMainClassName[] = "tornelo";

// Kept for the whole run: removing the icon needs the same record.
NOTIFYICONDATAA trayIconData;

// Broadcast by a taskbar that was (re)created: a restarted shell has
// forgotten every tray icon. 0 until registered.
UINT taskbarCreatedMessage = 0;

// False while the taskbar has not taken the icon: at logon it may be too
// busy, and then no "TaskbarCreated" follows. The watch timer tries again.
bool trayIconShown = false;

HWND mainWindow = nullptr;

// SetTimer wants a TIMERPROC, whose signature differs from a window
// procedure's; forward instead of calling through a cast pointer.
void CALLBACK AnimationTimerProc(HWND window, UINT, UINT_PTR timerId, DWORD tickCount) {
    MainWndProc(window, WM_TIMER, timerId, static_cast<LPARAM>(tickCount));
}

void AddTrayIcon(HWND window) {
    trayIconData = {};
    trayIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    trayIconData.hWnd = window;
    trayIconData.uID = kTrayIconId;
    trayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayIconData.uCallbackMessage = WM_TRAY_CALLBACK;
    trayIconData.hIcon = LoadSmallIcon(IDI_TRAY_SPIRAL);
    snprintf(trayIconData.szTip, sizeof trayIconData.szTip, "%s", "tornelo");
    // The taskbar is the shell's too: its answer is a wait like any other.
    const ShellWait wait;
    // An icon that is there already (a late "TaskbarCreated") counts as shown.
    trayIconShown = Shell_NotifyIconA(NIM_ADD, &trayIconData) || Shell_NotifyIconA(NIM_MODIFY, &trayIconData);
    if (!trayIconShown) TraceFailure("Shell_NotifyIcon(NIM_ADD)");
}

// Started elevated, tornelo would not hear a normal Explorer's
// "TaskbarCreated" or a second start from a normal process: integrity
// levels filter the messages of lower processes.
void AllowFromLowerProcesses(HWND window) {
    for (UINT message : {taskbarCreatedMessage, WM_QUIT_REQUEST}) {
        if (!ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr))
            TraceFailure("ChangeWindowMessageFilterEx");
    }
}

void StartWatchTimer(HWND window) {
    if (!SetTimer(window, kWatchTimerId, kWatchPeriodMs, nullptr)) TraceFailure("SetTimer(watch)");
}

void TakeDisplayMeasuredNow(HWND) { ApplyDisplayMetrics(MeasureDisplay(desktopView)); }
void TakeViewStyles(HWND) { TakeDesktopViewStyles(); }
// Settings, the initial layout and the first start of timer 100.
void StartAnimation(HWND) { OnMainWindowCreated(); }

// In this order. Each may wait on the shell: an end that arrives meanwhile
// lets the start go no further, and the message loop then ends it cleanly.
void (*const kStartSteps[])(HWND) = {TakeDisplayMeasuredNow, AddTrayIcon, TakeViewStyles, StartAnimation,
                                     StartWatchTimer};

LRESULT OnCreate(HWND window, WPARAM, LPARAM) {
    mainWindow = window;
    taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    AllowFromLowerProcesses(window);
    AttachPlatformToMainWindow(window);
    for (auto step : kStartSteps) {
        if (endControl.Pending()) break;
        step(window);
    }
    return 0;
}

// Every end: a menu exit, a second start, a sign-out.
void RequestEnd(HWND window) {
    if (endControl.AskEnd()) DestroyWindow(window);
}

// The way every end goes, WM_CLOSE's too.
LRESULT OnDestroy(HWND window, WPARAM, LPARAM) {
    endControl.Ending();
    KillTimer(window, kAnimationTimerId);
    KillTimer(window, kWatchTimerId);
    OnMainWindowDestroyed();
    // An open settings dialog is left to end with the process.
    settingsDialog = nullptr;
    if (!Shell_NotifyIconA(NIM_DELETE, &trayIconData)) TraceFailure("Shell_NotifyIcon(NIM_DELETE)");
    PutBackDesktopViewStyles();
    // A tick that is still waiting on the shell moves nothing more.
    AttachPlatformToMainWindow(nullptr);
    PostQuitMessage(0);
    return 0;
}

// A sign-out, or Restart Manager closing tornelo for an installer: the
// session would not destroy the window, and the timers would go on moving
// icons and clearing styles until the process is killed.
LRESULT OnEndSession(HWND window, WPARAM sessionEnds, LPARAM) {
    if (sessionEnds) RequestEnd(window);
    return 0;
}

LRESULT OnDisplayChange(HWND, WPARAM, LPARAM) {
    OnDisplayChanged(MeasureDisplay(desktopView));
    return 0;
}

LRESULT OnSettingChange(HWND, WPARAM action, LPARAM) {
    OnSystemSettingChanged(static_cast<unsigned>(action));
    return 0;
}

void OnWatchTimer(HWND window) {
    if (!trayIconShown) AddTrayIcon(window);
    TakeDesktopViewStyles();
    OnViewWatch();
}

LRESULT OnTimer(HWND window, WPARAM timerId, LPARAM) {
    if (timerId == kWatchTimerId)
        OnWatchTimer(window);
    else
        MotionTick();
    return 0;
}

LRESULT OnMciNotifyMessage(HWND, WPARAM, LPARAM) {
    OnMciNotify();
    return 0;
}

LRESULT OnQuitRequest(HWND window, WPARAM, LPARAM) {
    RequestEnd(window);
    return 0;
}

LRESULT OnTrayCallback(HWND window, WPARAM, LPARAM lParam) {
    if (lParam == WM_LBUTTONDOWN) ShowTrayMenu(window);
    return 0;
}

using MessageHandler = LRESULT (*)(HWND window, WPARAM wParam, LPARAM lParam);

struct MessageRoute {
    UINT message;
    MessageHandler handler;
};

const MessageRoute kMessageRoutes[] = {
    {WM_CREATE, OnCreate},
    {WM_DESTROY, OnDestroy},
    {WM_TIMER, OnTimer},
    {MM_MCINOTIFY, OnMciNotifyMessage},
    {WM_QUIT_REQUEST, OnQuitRequest},
    {WM_TRAY_CALLBACK, OnTrayCallback},
    {WM_DISPLAYCHANGE, OnDisplayChange},
    {WM_SETTINGCHANGE, OnSettingChange},
    {WM_ENDSESSION, OnEndSession},
};

void RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (taskbarCreatedMessage != 0 && message == taskbarCreatedMessage) {
        AddTrayIcon(window);
        return;
    }
    for (const MessageRoute& route : kMessageRoutes) {
        if (route.message == message) {
            route.handler(window, wParam, lParam);
            return;
        }
    }
}

}  // namespace

void CarryOutPendingEnd() {
    if (endControl.TakePendingEnd() && IsWindow(mainWindow)) DestroyWindow(mainWindow);
}

void SetAnimationTimer(HWND window, unsigned periodMs) {
    if (!SetTimer(window, kAnimationTimerId, periodMs, AnimationTimerProc)) TraceFailure("SetTimer");
}

ATOM RegisterMainClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(appInstance, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kMainClassName;
    const ATOM atom = RegisterClassA(&windowClass);
    if (!atom) TraceFailure("RegisterClass(\"tornelo\")");
    return atom;
}

HWND CreateMainWindow(HINSTANCE instance) {
    HWND window = CreateWindowExA(0, kMainClassName, "tornelo", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!window) {
        TraceFailure("CreateWindowEx(\"tornelo\")");
        return nullptr;
    }
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    return window;
}

// Every message, handled or not, also goes to DefWindowProc, whose result
// is the answer.
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RouteMessage(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}
