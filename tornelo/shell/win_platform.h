// The Windows side of the engine's seams: the shell's list-view, the
// animation timer, MCI and the C runtime's rand.
#pragma once

#include <windows.h>

// Points `platform` at the Windows implementations. Call once at start-up,
// after desktopView is known and the random generator is seeded.
void PlugInWindowsPlatform();

// The main window owns the animation timer and receives the MCI notices;
// null once it is destroyed, which stops every further move and timer.
void AttachPlatformToMainWindow(HWND mainWindow);
