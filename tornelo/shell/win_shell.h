// The handles and private messages that tornelo's Win32 side shares.
#pragma once

#include <windows.h>

#include "shell/main_window_ids.h"

extern HINSTANCE appInstance;
// The shell's desktop icon list-view; null when the desktop has none.
extern HWND desktopView;
// The open modeless dialogs; null while closed.
extern HWND settingsDialog;
extern HWND aboutDialog;
