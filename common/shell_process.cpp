#include "shell_process.h"

#include <commctrl.h>

#include "debug_trace.h"
#include "pointer_width.h"

namespace {

constexpr bool kWeAre64Bit = sizeof(void*) == 8;

bool UnderWow64(HANDLE process, bool* wow64) {
    BOOL answer = FALSE;
    if (!IsWow64Process(process, &answer)) return false;
    *wow64 = answer != FALSE;
    return true;
}

PixelPoint ViewOrigin(HWND view, UINT timeoutMs) {
    PixelPoint origin = {0, 0};
    DWORD processId = 0;
    GetWindowThreadProcessId(view, &processId);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) {
        TraceFailure("OpenProcess of the desktop view's process");
        return origin;
    }
    void* block = HasOwnPointerWidth(process)
                      ? VirtualAllocEx(process, nullptr, sizeof(POINT), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                      : nullptr;
    if (block) {
        DWORD_PTR filled = 0;
        const bool answered = SendMessageTimeoutA(view, LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(block),
                                                  SMTO_NORMAL, timeoutMs, &filled) != 0;
        POINT point = {0, 0};
        if (!answered) {
            TraceFailure("LVM_GETORIGIN to the desktop view");
        } else if (filled && ReadProcessMemory(process, block, &point, sizeof point, nullptr)) {
            origin = {static_cast<int>(point.x), static_cast<int>(point.y)};
        }
        // A shell that did not answer may still write there later: the
        // block stays its own rather than becoming a write into freed pages.
        if (answered) VirtualFreeEx(process, block, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return origin;
}

}  // namespace

bool HasOwnPointerWidth(HANDLE process) {
    bool selfUnderWow64 = false;
    if (!kWeAre64Bit && !UnderWow64(GetCurrentProcess(), &selfUnderWow64)) return false;
    // On 32-bit Windows the shell's answer is not needed: the rule ignores it.
    const bool on64BitWindows = kWeAre64Bit || selfUnderWow64;
    bool shellUnderWow64 = false;
    if (on64BitWindows && !UnderWow64(process, &shellUnderWow64)) return false;
    return SamePointerWidth(kWeAre64Bit, selfUnderWow64, shellUnderWow64);
}

ViewPlacement MeasureViewPlacement(HWND view, UINT timeoutMs) {
    POINT corner = {0, 0};
    ClientToScreen(view, &corner);
    return {{static_cast<int>(corner.x), static_cast<int>(corner.y)}, ViewOrigin(view, timeoutMs)};
}
