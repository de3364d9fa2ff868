// The handles and private messages that tornelo's Win32 side shares.
#pragma once

#include <windows.h>

// From a second start or the menu's exit: end the program.
constexpr UINT WM_QUIT_REQUEST = WM_USER + 1;
// Mouse events on the tray icon; lParam is the mouse message.
constexpr UINT WM_TRAY_CALLBACK = WM_USER + 2;

extern HINSTANCE appInstance;
// The shell's desktop icon list-view; null when the desktop has none.
extern HWND desktopView;
// The open modeless dialogs; null while closed.
extern HWND settingsDialog;
extern HWND aboutDialog;
