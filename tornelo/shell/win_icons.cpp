#include "shell/win_shell.h"

HICON LoadSmallIcon(int resourceId) {
    return static_cast<HICON>(LoadImageA(appInstance, MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

void SetDialogSmallIcon(HWND dialog, int resourceId) {
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(LoadSmallIcon(resourceId)));
}
