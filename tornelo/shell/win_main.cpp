// tornelo's entry point. A start while a copy runs switches that copy off
// and starts nothing.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <ctime>

#include "desktop_view_lookup.h"
#include "shell/win_main_window.h"
#include "shell/win_platform.h"
#include "shell/win_shell.h"

HINSTANCE appInstance = nullptr;
HWND desktopView = nullptr;
HWND settingsDialog = nullptr;
HWND aboutDialog = nullptr;

namespace {

// The settings dialog's up-down controls need their class registered
// before the dialog is created; only Windows' own loader of comctl32
// skips that.
void RegisterUpDownClass() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_UPDOWN_CLASS;
    InitCommonControlsEx(&controls);
}

// Only the settings dialog gets Tab, Enter and Escape handling. Back here,
// no handler of tornelo's is in progress: an end that arrived during a wait
// on the shell (even during the start) is carried out now.
int RunMessageLoop() {
    MSG message = {};
    for (;;) {
        CarryOutPendingEnd();
        if (GetMessageA(&message, nullptr, 0, 0) <= 0) break;
        if (settingsDialog && IsDialogMessageA(settingsDialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    appInstance = instance;
    desktopView = FindDesktopListView();
    srand(static_cast<unsigned>(time(nullptr)));
    PlugInWindowsPlatform();

    if (HWND runningCopy = FindWindowA("tornelo", nullptr)) {
        // Returns once the running copy has taken down its window.
        SendMessageA(runningCopy, WM_QUIT_REQUEST, 0, 0);
        return 0;
    }
    if (!RegisterMainClass(instance)) return 0;
    RegisterUpDownClass();
    if (!CreateMainWindow(instance)) return 0;
    return RunMessageLoop();
}
