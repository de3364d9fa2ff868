// The mode machine: what the tray menu's commands and the music's
// completion notice do to AppMode, the music and the running settings.
#pragma once

enum MenuCommand : int {
    kCommandSettings = 103,
    kCommandExit = 104,
    kCommandMayimMayim = 105,
    kCommandAbout = 106,
    kCommandBlackHole = 107,
    kCommandNormal = 108,
    kCommandRepeat = 109,
};

// The mode and repeat commands (105, 107, 108, 109); others do nothing here.
void CarryOutModeCommand(int command);

void StartMusic();
void StopMusic();
void OnMciNotify();

// The logic of the main window's creation, once screenWidth and screenHeight
// are measured: default running settings, the settings file over them, the
// initial layout, then the first start of the animation timer.
void OnMainWindowCreated();

// A display change (resolution, monitors, taskbar): the new metrics, the
// running radii fitted to the new screen, and the spiral laid out again
// around the new centre.
struct DisplayMetrics;
void OnDisplayChanged(const DisplayMetrics& metrics);

// SPI_SETWORKAREA, as WM_SETTINGCHANGE carries it: the taskbar was moved,
// resized or auto-hidden, which changes the full-screen area.
constexpr unsigned kWorkAreaSetting = 0x002F;
// A system setting changed (WM_SETTINGCHANGE): the display is measured
// again when the work area did.
void OnSystemSettingChanged(unsigned action);

// Once a second: a view found anew (the shell restarted, or the desktop
// appeared after tornelo) is measured and laid out at once; a view or
// full-screen area that changed without a message is measured again; a view
// that has stopped arranging itself gets its icons back on the spiral.
void OnViewWatch();

// The mode's part of the main window's destruction: the dance ends with its
// music stopped (mode back to Normal), a black-hole run is reset, and icons
// it parked out of sight are laid out on the user's spiral.
void OnMainWindowDestroyed();

// Zeroes the application state, the ring and the running settings; the
// platform seams stay as they are (for tests and the simulator).
void ResetEngine();
