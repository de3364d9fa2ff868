// What tornelo's Win32 side shares: the handles and private messages, and
// the two helpers that its windows and dialogs all use.
#pragma once

#include <windows.h>

#include "shell/main_window_ids.h"

extern HINSTANCE appInstance;
// The shell's desktop icon list-view; null when the desktop has none.
extern HWND desktopView;
// The open modeless dialogs; null while closed.
extern HWND settingsDialog;
extern HWND aboutDialog;

// Pixel sizes chosen for a 96-DPI display, scaled to the DPI of the
// monitor the window stands on.
int ScaleForDpi(HWND window, int pixelsAt96Dpi);

// tornelo's spiral icons at the small-icon size the system asks for.
// Shared with the system: never destroyed.
HICON LoadSmallIcon(int resourceId);
void SetDialogSmallIcon(HWND dialog, int resourceId);
