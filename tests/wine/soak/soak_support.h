// What the soak and the hostile-desktop checks add to the Wine test
// support: a process's resource figures, a stand-in desktop that stops
// answering for a while, and whether a window answers at all.
#pragma once

#include <windows.h>

#include <string>

#include "wine_test_support.h"

namespace soak {

// One resource figure and where it came from: the documented call, or
// what stands in for it where Wine leaves that call unimplemented. -1
// when neither gave a value.
struct Figure {
    long long value = -1;
    const char* source = "unmeasured";
};

struct ProcessFigures {
    Figure handles;       // GetProcessHandleCount, else the system handle list
    Figure gdiObjects;    // GetGuiResources, else the process's GDI handle table
    Figure userObjects;   // GetGuiResources, else a count inside the process
    Figure privateBytes;  // PrivateUsage, else the commit charge (PagefileUsage)
};

// The figures of a running process. `window` is one of its windows, which
// the count of USER objects inside the process goes through (null: the
// USER objects stay unmeasured where GetGuiResources is missing).
ProcessFigures FiguresOf(DWORD processId, HWND window);
std::string Describe(const ProcessFigures& figures);

// One figure at two moments, and how much it may grow in between.
struct Growth {
    const char* name;
    Figure before;
    Figure after;
    long long allowed;
    bool Measured() const { return before.value >= 0 && after.value >= 0; }
    long long Change() const { return after.value - before.value; }
    bool WithinMargin() const { return Measured() && Change() <= allowed; }
};
std::string Describe(const Growth& growth);

// Tells the running stand-in desktop (`standin-desktop.exe --freeze MS`)
// to stop answering for that long, and waits until it has stopped
// answering `listView`: true then.
bool FreezeStandin(HWND listView, DWORD milliseconds);

// True when the window's thread takes a message within the time.
bool Answers(HWND window, UINT timeoutMs);

}  // namespace soak
