#include "shell_floor.h"

#include <commctrl.h>

#include <initializer_list>

#include "desktop_view_lookup.h"

namespace {

LPARAM GridPosition(int item, int x0, int y0) {
    const POINT point = BareGridPoint(item, x0, y0);
    return static_cast<LPARAM>((static_cast<DWORD>(point.y) & 0xFFFF) << 16 | (static_cast<DWORD>(point.x) & 0xFFFF));
}

}  // namespace

POINT BareGridPoint(int item, int x0, int y0) { return POINT{x0 + item % 40 * 20, y0 + item / 40 * 20}; }

LRESULT SendAsTornelo(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(view, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, 2000, &result);
    return static_cast<LRESULT>(result);
}

void SendBarePositions(HWND view, int count, int x0, int y0, bool asTornelo) {
    for (int item = 0; item < count; ++item) {
        const auto wParam = static_cast<WPARAM>(item);
        if (asTornelo)
            SendAsTornelo(view, LVM_SETITEMPOSITION, wParam, GridPosition(item, x0, y0));
        else
            SendMessageA(view, LVM_SETITEMPOSITION, wParam, GridPosition(item, x0, y0));
    }
}

int BareItemLoop(bool restore, int x0, int y0) {
    HWND view = FindDesktopListView();
    DWORD processId = 0;
    GetWindowThreadProcessId(view, &processId);
    HANDLE shell = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (shell == nullptr) return 0;
    const auto allocateRemote = [shell](SIZE_T size) {
        return VirtualAllocEx(shell, nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    };
    void* remoteItem = allocateRemote(sizeof(LVITEMA));
    char* remoteLabel = static_cast<char*>(allocateRemote(260));
    void* remotePosition = restore ? nullptr : allocateRemote(sizeof(POINT));
    LVITEMA item = {};
    char label[260];
    POINT position = {};
    const int count = static_cast<int>(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = remoteLabel;
        item.cchTextMax = 260;
        WriteProcessMemory(shell, remoteItem, &item, sizeof item, nullptr);
        SendMessageA(view, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remoteItem));
        if (!restore)
            SendMessageA(view, LVM_GETITEMPOSITION, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remotePosition));
        ReadProcessMemory(shell, remoteItem, &item, sizeof item, nullptr);
        ReadProcessMemory(shell, remoteLabel, label, sizeof label, nullptr);
        if (restore)
            SendMessageA(view, LVM_SETITEMPOSITION, static_cast<WPARAM>(index), GridPosition(index, x0, y0));
        else
            ReadProcessMemory(shell, remotePosition, &position, sizeof position, nullptr);
    }
    for (void* block : {remoteItem, static_cast<void*>(remoteLabel), remotePosition})
        if (block != nullptr) VirtualFreeEx(shell, block, 0, MEM_RELEASE);
    CloseHandle(shell);
    return count;
}
