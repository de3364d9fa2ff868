#include "shell/win_platform.h"

#include <commctrl.h>
#include <mmsystem.h>

#include <climits>
#include <cstdlib>

#include "motion/platform_seam.h"
#include "shell/win_main_window.h"
#include "shell/win_shell.h"

namespace {

HWND platformWindow = nullptr;

class ShellListView final : public DesktopView {
public:
    int ItemCount() override {
        LRESULT count = SendMessageA(desktopView, LVM_GETITEMCOUNT, 0, 0);
        if (count < 0) return 0;
        if (count > INT_MAX) return INT_MAX;
        return static_cast<int>(count);
    }
    void SetItemPosition(int item, uint32_t packedXY) override {
        SendMessageA(desktopView, LVM_SETITEMPOSITION, static_cast<WPARAM>(item), static_cast<LPARAM>(packedXY));
    }
};

class Win32AnimationTimer final : public AnimationTimer {
public:
    void Restart(unsigned periodMs) override {
        KillTimer(platformWindow, kAnimationTimerId);
        SetAnimationTimer(platformWindow, periodMs);
    }
};

class MciMusicDevice final : public MusicDevice {
public:
    void Send(const char* command, char* reply, size_t replySize, bool notifyMainWindow) override {
        UINT replyLength = replySize > UINT_MAX ? UINT_MAX : static_cast<UINT>(replySize);
        if (!reply) replyLength = 0;
        mciSendStringA(command, reply, replyLength, notifyMainWindow ? platformWindow : nullptr);
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

void PlugInWindowsPlatform() { platform = {&shellListView, &animationTimer, &mciMusic, &runtimeRandom}; }

void AttachPlatformToMainWindow(HWND mainWindow) { platformWindow = mainWindow; }
