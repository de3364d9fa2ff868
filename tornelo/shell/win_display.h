// The display as the engine needs it: the primary screen's size, and where
// it and the virtual screen's right edge lie in the desktop view's own
// coordinates.
#pragma once

#include <windows.h>

#include "shell/app_state.h"

// Without a view, view coordinates are taken as screen coordinates.
DisplayMetrics MeasureDisplay(HWND view);

// Whether the view's window rectangle or the full-screen area differ from
// what they were at the last MeasureDisplay.
bool DisplayMovedSinceMeasured(HWND view);
