// lokari's two operations. Each ends, after everything has been released,
// with PostQuitMessage carrying its RunOutcome as the program's exit code,
// which ends the message loop and with it the program.
#pragma once

// Writes a new snapshot file, named after the current local time, into the
// current directory.
void SaveIconPositions();

// Moves every desktop icon whose label is in the snapshot file back to the
// position stored for it. The path is wide, so that it arrives whole in any
// script; the labels inside the file are in the ANSI code page or in UTF-8.
void RestoreIconPositions(const wchar_t* path);
