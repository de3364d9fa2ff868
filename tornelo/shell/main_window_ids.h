// The numbers by which the main window is reached: its private messages,
// its timer and its tray icon. Also what the tests drive tornelo with.
#pragma once

#include <windows.h>

// From a second start or the menu's exit: end the program.
constexpr UINT WM_QUIT_REQUEST = WM_USER + 1;
// Mouse events on the tray icon; lParam is the mouse message.
constexpr UINT WM_TRAY_CALLBACK = WM_USER + 2;

// The only timer: the animation's tick.
constexpr UINT_PTR kAnimationTimerId = 100;
// The only tray icon of the main window.
constexpr UINT kTrayIconId = 1;
