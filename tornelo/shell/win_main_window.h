// The hidden main window: tray icon, animation timer, message dispatch.
#pragma once

#include <windows.h>

#include "shell/main_window_ids.h"

ATOM RegisterMainClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sets timer 100 on the main window; its ticks reach MainWndProc as WM_TIMER.
void SetAnimationTimer(HWND window, unsigned periodMs);

// Called where no handler is in progress: an end that arrived while tornelo
// waited on the shell is carried out now.
void CarryOutPendingEnd();
