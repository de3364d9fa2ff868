// Finds the shell's desktop icon list-view, shared by tornelo and lokari.
#pragma once

#include <windows.h>

// "Progman" > "SHELLDLL_DefView" > "SysListView32". When Progman has no
// shell view (Windows 10 moves it under a "WorkerW" while a wallpaper
// slideshow runs), the top-level WorkerW windows are searched instead.
// Returns null when there is no such chain; it never falls back to an
// unrelated top-level list-view.
HWND FindDesktopListView();
