#include "settings/settings_dialog.h"

#include <commctrl.h>

#include <algorithm>

#include "motion/platform_seam.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "settings/settings_dialog_rules.h"
#include "shell/app_state.h"
#include "shell/win_shell.h"

namespace {

constexpr int kTextBufferSize = 256;

// The smallest window that shows every control with the template's own
// margin: the fixed size below fits the template's font, but where that
// font is missing a substitute with larger glyphs would cut off the buttons.
SIZE SizeHoldingControls(HWND dialog) {
    RECT content = {0, 0, 0, 0};
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT bounds;
        if (!GetWindowRect(child, &bounds)) continue;
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&bounds), 2);
        UnionRect(&content, &content, &bounds);
    }
    RECT margin = {0, 0, 3, 3};  // dialog units, as the left column's margin
    MapDialogRect(dialog, &margin);
    RECT window = {0, 0, content.right + margin.right, content.bottom + margin.bottom};
    AdjustWindowRectEx(&window, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
    return {window.right - window.left, window.bottom - window.top};
}

// The dialog's lower-right corner lands just past the pointer, which is
// normally over the tray icon, but never off the top or left edge.
bool PlaceNearPointer(HWND dialog) {
    POINT pointer;
    if (!GetCursorPos(&pointer)) return false;
    const SIZE needed = SizeHoldingControls(dialog);
    const int extraWidth = std::max(0, static_cast<int>(needed.cx) - ScaleForDpi(dialog, 236));
    const int extraHeight = std::max(0, static_cast<int>(needed.cy) - ScaleForDpi(dialog, 437));
    const int width = ScaleForDpi(dialog, 236) + extraWidth;
    const int height = ScaleForDpi(dialog, 437) + extraHeight;
    // A grown dialog grows up and to the left, keeping its corner at the pointer.
    const int left = std::max(0, static_cast<int>(pointer.x) - ScaleForDpi(dialog, 230) - extraWidth);
    const int top = std::max(0, static_cast<int>(pointer.y) - ScaleForDpi(dialog, 431) - extraHeight);
    SetWindowPos(dialog, nullptr, left, top, width, height, 0);
    return true;
}

// During a dance or a black-hole run the running values are the mode's
// own; the user's values are theirs with the file's over them.
Settings SettingsToShow() {
    if (appMode.mode != Mode::MayimMayim && appMode.mode != Mode::BlackHole) return runningSettings;
    Settings shown;
    GivenValues given;
    LoadUserSettings(shown, given);
    return shown;
}

void SetUpSpinner(HWND dialog, int spinnerId, int buddyId, int lowest, int highest, int value) {
    SendDlgItemMessageA(dialog, spinnerId, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(dialog, buddyId)), 0);
    SendDlgItemMessageA(dialog, spinnerId, UDM_SETRANGE32, static_cast<WPARAM>(lowest), static_cast<LPARAM>(highest));
    // The control would clamp a value out of its range anyway; clamping
    // first keeps the 16-bit position from truncating it.
    int position = std::clamp(value, lowest, highest);
    SendDlgItemMessageA(dialog, spinnerId, UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(position), 0));
}

void CheckRadio(HWND dialog, int radioId) { SendDlgItemMessageA(dialog, radioId, BM_SETCHECK, BST_CHECKED, 0); }

void ShowSettings(HWND dialog, const Settings& shown) {
    SettingsDialogView view = SettingsDialogViewOf(shown);
    SetUpSpinner(dialog, IDC_INNER_RADIUS_SPIN, IDC_INNER_RADIUS, 0, 2000, view.innerRadius);
    SetUpSpinner(dialog, IDC_OUTER_RADIUS_SPIN, IDC_OUTER_RADIUS, 0, 2000, view.outerRadius);
    SetUpSpinner(dialog, IDC_BLACK_HOLE_ICON_SPIN, IDC_BLACK_HOLE_ICON, 1, kIconLimit, view.blackHoleIcon);
    CheckRadio(dialog, view.leftward ? IDC_LEFTWARD : IDC_RIGHTWARD);
    SetDlgItemTextA(dialog, IDC_TURNS, view.turns);
    SetDlgItemTextA(dialog, IDC_SPACING_RATIO, view.spacingRatio);
    SetDlgItemTextA(dialog, IDC_UPDATE_INTERVAL, view.updateInterval);
    CheckRadio(dialog, view.clockwise ? IDC_CLOCKWISE : IDC_COUNTER_CLOCKWISE);
    SetDlgItemTextA(dialog, IDC_REVOLUTION_TIME, view.revolutionTime);
    SetDlgItemTextA(dialog, IDC_MAX_ICONS, view.maxIcons);
}

BOOL OnInitDialog(HWND dialog) {
    if (!PlaceNearPointer(dialog)) return FALSE;
    ShowSettings(dialog, SettingsToShow());
    SetDialogSmallIcon(dialog, IDI_SETTINGS_SPIRAL);
    return TRUE;
}

struct EntryText {
    char text[kTextBufferSize];
};

void ReadEntry(HWND dialog, int controlId, EntryText& entry) {
    entry.text[0] = '\0';
    GetDlgItemTextA(dialog, controlId, entry.text, kTextBufferSize);
    entry.text[kTextBufferSize - 1] = '\0';
}

void ApplyEntries(HWND dialog) {
    EntryText inner, outer, turns, spacing, interval, revolution, maxIcons, blackHole;
    ReadEntry(dialog, IDC_INNER_RADIUS, inner);
    ReadEntry(dialog, IDC_OUTER_RADIUS, outer);
    ReadEntry(dialog, IDC_TURNS, turns);
    ReadEntry(dialog, IDC_SPACING_RATIO, spacing);
    ReadEntry(dialog, IDC_UPDATE_INTERVAL, interval);
    ReadEntry(dialog, IDC_REVOLUTION_TIME, revolution);
    ReadEntry(dialog, IDC_MAX_ICONS, maxIcons);
    ReadEntry(dialog, IDC_BLACK_HOLE_ICON, blackHole);
    SettingsDialogTexts texts = {};
    texts.innerRadius = inner.text;
    texts.outerRadius = outer.text;
    texts.turns = turns.text;
    texts.spacingRatio = spacing.text;
    texts.updateInterval = interval.text;
    texts.revolutionTime = revolution.text;
    texts.maxIcons = maxIcons.text;
    texts.blackHoleIcon = blackHole.text;
    texts.rightward = IsDlgButtonChecked(dialog, IDC_RIGHTWARD) == BST_CHECKED;
    texts.counterClockwise = IsDlgButtonChecked(dialog, IDC_COUNTER_CLOCKWISE) == BST_CHECKED;
    Settings applied = SettingsFromDialog(texts, screenHeight, ViewItemCount());
    SaveSettings(applied);
    HandOverAppliedSettings(applied);
}

void CloseDialog(HWND dialog) {
    DestroyWindow(dialog);
    settingsDialog = nullptr;
}

// Only the control id counts. IDOK and IDCANCEL, which Enter and Escape
// produce, are left alone so that neither key closes the dialog.
void OnCommand(HWND dialog, int controlId) {
    switch (controlId) {
        case IDC_SETTINGS_OK:
            ApplyEntries(dialog);
            CloseDialog(dialog);
            break;
        case IDC_SETTINGS_APPLY: ApplyEntries(dialog); break;
        case IDC_SETTINGS_CANCEL: CloseDialog(dialog); break;
        default: break;
    }
}

}  // namespace

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog(dialog);
        case WM_COMMAND: OnCommand(dialog, LOWORD(wParam)); return FALSE;
        case WM_CLOSE: CloseDialog(dialog); return FALSE;
        case WM_DESTROY: settingsDialog = nullptr; return FALSE;
        default: return FALSE;
    }
}
