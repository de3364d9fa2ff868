// The Windows side of the engine's seams: the shell's list-view, the
// animation timer, MCI and the C runtime's rand.
#pragma once

#include <windows.h>

#include "shell/end_control.h"

// Points `platform` at the Windows implementations. Call once at start-up,
// after desktopView is known and the random generator is seeded.
void PlugInWindowsPlatform();

// The main window owns the animation timer and receives the MCI notices;
// null once it is destroyed, which stops every further move and timer.
void AttachPlatformToMainWindow(HWND mainWindow);

// Every wait on the shell is held in a ShellWait: an end that arrives
// meanwhile is then only recorded (see EndControl).
extern EndControl endControl;
class ShellWait {
public:
    ShellWait() { endControl.WaitBegins(); }
    ~ShellWait() { endControl.WaitEnds(); }
    ShellWait(const ShellWait&) = delete;
    ShellWait& operator=(const ShellWait&) = delete;
};

// "Auto arrange icons" and "Align icons to grid" would place the icons
// themselves, in rows or on grid cells: they are cleared on desktopView
// before tornelo's first move on it. Does nothing once done for that view;
// a view that did not answer is tried again at the next call.
void TakeDesktopViewStyles();
// Switches back on, on the view where they were cleared and if it still
// exists, exactly the styles that were cleared.
void PutBackDesktopViewStyles();
