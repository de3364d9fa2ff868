// The floor: the bare messages and memory transfers that moving or reading
// the desktop icons takes, with nothing of the programs around them.
#pragma once

#include <windows.h>

// Where the bare grid at (x0, y0) puts item i: 40 to a row, 20 pixels apart.
POINT BareGridPoint(int item, int x0, int y0);

// A message to the view as tornelo sends it: bounded in time, given up at
// once when the shell looks hung.
LRESULT SendAsTornelo(HWND view, UINT message, WPARAM wParam, LPARAM lParam);

// LVM_SETITEMPOSITION to items 0..count-1, each to its place on the bare
// grid: with plain SendMessage, or (`asTornelo`) with tornelo's own send.
void SendBarePositions(HWND view, int count, int x0, int y0, bool asTornelo = false);

// What a save does per item, and no more: write the item record, LVM_GETITEMA,
// LVM_GETITEMPOSITION, read back record, label and position. With `restore`
// the restore's share instead: write, LVM_GETITEMA, read record and label,
// LVM_SETITEMPOSITION to the bare grid at (x0, y0). Returns the items done.
int BareItemLoop(bool restore, int x0, int y0);
