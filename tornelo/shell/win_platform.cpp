#include "shell/win_platform.h"

#include <commctrl.h>
#include <mmsystem.h>

#include <climits>
#include <cstdlib>

#include "debug_trace.h"
#include "desktop_view_lookup.h"
#include "motion/platform_seam.h"
#include "shell/app_state.h"
#include "shell/win_display.h"
#include "shell/win_main_window.h"
#include "shell/win_shell.h"
#include "view_styles.h"

namespace {

HWND platformWindow = nullptr;

// Long enough for a busy shell, short enough that the menu and a second
// start still answer while the shell hangs.
constexpr UINT kShellAnswerMs = 2000;

// What tornelo cleared on the view it moves icons on, to be put back at the end.
ClearedArrangingStyles viewStyles;
bool viewStylesTaken = false;

bool SendToView(UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    const ShellWait wait;
    if (SendMessageTimeoutA(desktopView, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kShellAnswerMs,
                            result)) {
        return true;
    }
    TraceFailure(message == LVM_GETITEMCOUNT ? "LVM_GETITEMCOUNT to the desktop view"
                                             : "LVM_SETITEMPOSITION to the desktop view");
    return false;
}

class ShellListView final : public DesktopView {
public:
    int ItemCount() override {
        // A view that has gone, or never was, holds no icons; one that is
        // there but silent is hung.
        if (!IsWindow(desktopView)) return 0;
        DWORD_PTR count = 0;
        if (!SendToView(LVM_GETITEMCOUNT, 0, 0, &count)) return kNoAnswer;
        if (count > INT_MAX) return INT_MAX;
        return static_cast<int>(count);
    }
    bool SetItemPosition(int item, uint32_t packedXY) override {
        // Nothing more goes out once the program is ending: a pass that an
        // end interrupted only finishes its loop.
        if (!platformWindow || endControl.Pending()) return false;
        DWORD_PTR ignored = 0;
        return SendToView(LVM_SETITEMPOSITION, static_cast<WPARAM>(item), static_cast<LPARAM>(packedXY), &ignored);
    }
    bool FindAgainIfGone() override {
        if (IsWindow(desktopView)) return false;
        HWND found = FindDesktopListView();
        if (!found) return false;
        desktopView = found;
        TakeDesktopViewStyles();
        return true;
    }
    bool MeasureDisplay(DisplayMetrics& metrics) override {
        metrics = ::MeasureDisplay(desktopView);
        return true;
    }
    bool MovedSinceMeasured() override { return DisplayMovedSinceMeasured(desktopView); }
    // Read from the window itself: no message, so no wait on the shell.
    bool ArrangesItself() override {
        return IsWindow(desktopView) && (GetWindowLongPtrA(desktopView, GWL_STYLE) & LVS_AUTOARRANGE) != 0;
    }
};

class Win32AnimationTimer final : public AnimationTimer {
public:
    void Restart(unsigned periodMs) override {
        if (!platformWindow) return;
        KillTimer(platformWindow, kAnimationTimerId);
        SetAnimationTimer(platformWindow, periodMs);
    }
};

class MciMusicDevice final : public MusicDevice {
public:
    void Send(const char* command, char* reply, size_t replySize, bool notifyMainWindow) override {
        UINT replyLength = replySize > UINT_MAX ? UINT_MAX : static_cast<UINT>(replySize);
        if (!reply) replyLength = 0;
        const MCIERROR error = mciSendStringA(command, reply, replyLength, notifyMainWindow ? platformWindow : nullptr);
        if (error) TraceFailure(command, error);
    }
};

class RuntimeRandom final : public RandomSource {
public:
    int Next() override { return rand(); }
};

ShellListView shellListView;
Win32AnimationTimer animationTimer;
MciMusicDevice mciMusic;
RuntimeRandom runtimeRandom;

}  // namespace

EndControl endControl;

void PlugInWindowsPlatform() { platform = {&shellListView, &animationTimer, &mciMusic, &runtimeRandom}; }

void AttachPlatformToMainWindow(HWND mainWindow) { platformWindow = mainWindow; }

void TakeDesktopViewStyles() {
    if (viewStylesTaken && viewStyles.View() == desktopView) return;
    if (!IsWindow(desktopView)) return;
    const ShellWait wait;
    viewStylesTaken = viewStyles.Clear(desktopView, ArrangingStyles{true, true}, kShellAnswerMs);
}

void PutBackDesktopViewStyles() {
    const ShellWait wait;
    viewStyles.PutBack(kShellAnswerMs);
    viewStylesTaken = false;
}
