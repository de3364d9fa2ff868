// The tray icon's popup menu and the about box it opens.
#pragma once

#include <windows.h>

// Opens the menu at the pointer and carries out the chosen command.
LRESULT ShowTrayMenu(HWND mainWindow);

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
