#include "shell/win_tray_menu.h"

#include "debug_trace.h"
#include "resources/resource_ids.h"
#include "settings/settings_dialog.h"
#include "shell/app_state.h"
#include "shell/mode_control.h"
#include "shell/win_shell.h"

static_assert(IDM_SETTINGS == kCommandSettings && IDM_EXIT == kCommandExit && IDM_ABOUT == kCommandAbout &&
                  IDM_MAYIM_MAYIM == kCommandMayimMayim && IDM_BLACK_HOLE == kCommandBlackHole &&
                  IDM_NORMAL == kCommandNormal && IDM_REPEAT == kCommandRepeat,
              "the menu resource and the mode machine must agree on the command ids");

namespace {

// A menu resource, destroyed with its holder.
class LoadedMenu {
public:
    explicit LoadedMenu(int resourceId) : menu_(LoadMenuA(appInstance, MAKEINTRESOURCEA(resourceId))) {
        if (!menu_) TraceFailure("LoadMenu");
    }
    ~LoadedMenu() {
        if (menu_) DestroyMenu(menu_);
    }
    LoadedMenu(const LoadedMenu&) = delete;
    LoadedMenu& operator=(const LoadedMenu&) = delete;
    HMENU Popup() const { return menu_ ? GetSubMenu(menu_, 0) : nullptr; }

private:
    HMENU menu_;
};

// Positions of the popup's items, for the check marks.
constexpr UINT kNormalPosition = 0;
constexpr UINT kMayimMayimPosition = 1;
constexpr UINT kBlackHolePosition = 2;
constexpr UINT kRepeatPosition = 4;

void CheckCurrentState(HMENU popup) {
    switch (appMode.mode) {
        case Mode::Normal: CheckMenuItem(popup, kNormalPosition, MF_BYPOSITION | MF_CHECKED); break;
        case Mode::MayimMayim: CheckMenuItem(popup, kMayimMayimPosition, MF_BYPOSITION | MF_CHECKED); break;
        case Mode::BlackHole: CheckMenuItem(popup, kBlackHolePosition, MF_BYPOSITION | MF_CHECKED); break;
    }
    if (appMode.repeat == 1) CheckMenuItem(popup, kRepeatPosition, MF_BYPOSITION | MF_CHECKED);
}

void OpenSettingsDialog() {
    if (settingsDialog) return;
    settingsDialog = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, SettingsDialogProc, 0);
    if (!settingsDialog) TraceFailure("CreateDialogParam(settings)");
}

void OpenAboutBox() {
    if (aboutDialog) return;
    aboutDialog = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(IDD_ABOUT), nullptr, AboutDlgProc, 0);
    if (!aboutDialog) TraceFailure("CreateDialogParam(about)");
}

void CarryOutMenuCommand(HWND mainWindow, int command) {
    switch (command) {
        case 0: break;  // dismissed
        case kCommandSettings: OpenSettingsDialog(); break;
        case kCommandExit: SendMessageA(mainWindow, WM_QUIT_REQUEST, 0, 0); break;
        case kCommandAbout: OpenAboutBox(); break;
        default: CarryOutModeCommand(command); break;
    }
}

void CloseAboutBox(HWND dialog) {
    DestroyWindow(dialog);
    aboutDialog = nullptr;
}

// The box stands at the screen centre with a fixed size, whatever its template says.
void PlaceAboutBox(HWND dialog) {
    SetWindowPos(dialog, HWND_TOP, screenWidth / 2 - ScaleForDpi(dialog, 125),
                 screenHeight / 2 - ScaleForDpi(dialog, 60), ScaleForDpi(dialog, 250), ScaleForDpi(dialog, 120), 0);
}

}  // namespace

LRESULT ShowTrayMenu(HWND mainWindow) {
    POINT pointer;
    if (!GetCursorPos(&pointer)) return 0;
    const LoadedMenu menu(IDR_TRAY_MENU);
    HMENU popup = menu.Popup();
    if (!popup) return 0;
    CheckCurrentState(popup);
    // A popup closes on a click elsewhere only while its owner is the
    // foreground window; a tray program's hidden window never is by itself.
    SetForegroundWindow(mainWindow);
    // Timer ticks and music notices go on inside this modal call, so the
    // command below acts on the state as it is when the menu closes.
    int command = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_RIGHTALIGN | TPM_LEFTBUTTON,
                                 pointer.x, pointer.y, 0, mainWindow, nullptr);
    // Lets the menu close properly when the next click lands elsewhere.
    PostMessageA(mainWindow, WM_NULL, 0, 0);
    CarryOutMenuCommand(mainWindow, command);
    return 0;
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            PlaceAboutBox(dialog);
            SetDialogSmallIcon(dialog, IDI_ABOUT_SPIRAL);
            return TRUE;
        case WM_COMMAND:
        case WM_CLOSE:
            CloseAboutBox(dialog);
            return FALSE;
        case WM_DESTROY:
            aboutDialog = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}
