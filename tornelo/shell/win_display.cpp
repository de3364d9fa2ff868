#include "shell/win_display.h"

#include <commctrl.h>

#include "debug_trace.h"

namespace {

constexpr UINT kOriginAnswerMs = 2000;

// What the view adds to its client coordinates to give item positions:
// (0, 0) unless the view is scrolled. LVM_GETORIGIN fills a POINT in the
// view's own process, the shell's, so it gets a block of that memory to fill.
POINT ViewOrigin(HWND view) {
    POINT origin = {0, 0};
    DWORD processId = 0;
    GetWindowThreadProcessId(view, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) {
        TraceFailure("OpenProcess of the desktop view's process");
        return origin;
    }
    if (void* block = VirtualAllocEx(process, nullptr, sizeof origin, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {
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
    } else {
        TraceFailure("VirtualAllocEx in the desktop view's process");
    }
    CloseHandle(process);
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
