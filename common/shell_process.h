// What tornelo and lokari both ask of the shell's process that owns the
// desktop view: whether its pointers are as wide as ours, and where the view
// lies on the screen.
#pragma once

#include <windows.h>

#include "view_geometry.h"

// False when the process's pointers differ from ours (a 32-bit program on
// 64-bit Windows), or when that cannot be told: an address of ours handed
// to it would then be cut or padded.
bool HasOwnPointerWidth(HANDLE process);

// The view's client corner on the screen and its origin (LVM_GETORIGIN).
// LVM_GETORIGIN writes a POINT through its lParam, so the answer comes
// through a block in the shell's process; the origin is taken as (0, 0),
// which it is unless the view is scrolled, when that is not possible: the
// process cannot be opened, has another pointer width, or does not answer
// within timeoutMs.
ViewPlacement MeasureViewPlacement(HWND view, UINT timeoutMs);
