#include "shell/win_display.h"

#include <commctrl.h>

#include "debug_trace.h"

namespace {

constexpr UINT kOriginAnswerMs = 2000;

// LVM_GETORIGIN fills a POINT in the view's own process, so the shell's
// view gets a block of its process's memory to fill.
POINT RemoteViewOrigin(HWND view, DWORD processId) {
    POINT origin = {0, 0};
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) {
        TraceFailure("OpenProcess of the desktop view's process");
        return origin;
    }
    void* block = VirtualAllocEx(process, nullptr, sizeof origin, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!block) TraceFailure("VirtualAllocEx in the desktop view's process");
    if (block) {
        DWORD_PTR filled = 0;
        const bool answered = SendMessageTimeoutA(view, LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(block),
                                                  SMTO_ABORTIFHUNG, kOriginAnswerMs, &filled) != 0;
        if (!answered) TraceFailure("LVM_GETORIGIN to the desktop view");
        if (answered && filled && !ReadProcessMemory(process, block, &origin, sizeof origin, nullptr)) {
            TraceFailure("ReadProcessMemory of the view's origin");
            origin = {0, 0};
        }
        // A shell that did not answer may still write there later: the
        // block stays its own rather than becoming a write into freed pages.
        if (answered) VirtualFreeEx(process, block, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return origin;
}

// What the view adds to its client coordinates to give item positions:
// (0, 0) unless the view is scrolled.
POINT ViewOrigin(HWND view) {
    DWORD processId = 0;
    GetWindowThreadProcessId(view, &processId);
    if (processId != GetCurrentProcessId()) return RemoteViewOrigin(view, processId);
    POINT origin = {0, 0};
    SendMessageA(view, LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&origin));
    return origin;
}

// A screen point in the view's item coordinates.
POINT InView(HWND view, POINT screenPoint, POINT origin) {
    MapWindowPoints(nullptr, view, &screenPoint, 1);
    return {screenPoint.x + origin.x, screenPoint.y + origin.y};
}

}  // namespace

DisplayMetrics MeasureDisplay(HWND view) {
    POINT primaryCorner = {0, 0};
    POINT virtualRight = {GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN), 0};
    if (IsWindow(view)) {
        const POINT origin = ViewOrigin(view);
        primaryCorner = InView(view, primaryCorner, origin);
        virtualRight = InView(view, virtualRight, origin);
    }
    return {GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN), static_cast<int>(primaryCorner.x),
            static_cast<int>(primaryCorner.y), static_cast<int>(virtualRight.x)};
}
