// tornelo's 16 x 16 spiral icons, loaded at the small-icon size.
#pragma once

#include <windows.h>

// Shared with the system: never destroyed.
HICON LoadSmallIcon(int resourceId);

void SetDialogSmallIcon(HWND dialog, int resourceId);
