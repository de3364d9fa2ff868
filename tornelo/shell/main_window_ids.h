// The numbers by which the main window is reached: its private messages,
// its timers and its tray icon. Also what the tests drive tornelo with.
#pragma once

#include <windows.h>

// From a second start or the menu's exit: end the program.
constexpr UINT WM_QUIT_REQUEST = WM_USER + 1;
// Mouse events on the tray icon; lParam is the mouse message.
constexpr UINT WM_TRAY_CALLBACK = WM_USER + 2;

// The animation's tick.
constexpr UINT_PTR kAnimationTimerId = 100;
// Once a second: the desktop view looked for again when gone, its place
// checked, the tray icon added when it could not be yet.
constexpr UINT_PTR kWatchTimerId = 101;
constexpr UINT kWatchPeriodMs = 1000;
// The only tray icon of the main window.
constexpr UINT kTrayIconId = 1;
