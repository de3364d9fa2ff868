#include "shell/mode_control.h"

#include "motion/icon_ring.h"
#include "motion/motion.h"
#include "motion/platform_seam.h"
#include "settings/settings.h"
#include "shell/app_state.h"

namespace {

void SendMusic(const char* command, bool notifyMainWindow = false) {
    platform.music->Send(command, nullptr, 0, notifyMainWindow);
}

void ReloadRunningSettings() {
    LoadRunningSettings();
    appMode.layoutDirty = 1;
}

void EnterMayimMayim() {
    switch (appMode.mode) {
        case Mode::Normal:
            appMode.mode = Mode::MayimMayim;
            StartMusic();
            break;
        case Mode::BlackHole:
            ResetBlackHole();
            appMode.mode = Mode::MayimMayim;
            StartMusic();
            break;
        case Mode::MayimMayim:
            break;  // the music is not restarted
    }
}

void EnterBlackHole() {
    switch (appMode.mode) {
        case Mode::Normal:
            appMode.mode = Mode::BlackHole;
            ResetBlackHole();
            break;
        case Mode::MayimMayim:
            // No reload here: the stopped music's notice brings the file's values back.
            appMode.dancePhase = 0;
            appMode.mode = Mode::BlackHole;
            StopMusic();
            ResetBlackHole();
            break;
        case Mode::BlackHole:
            break;  // a running black hole is not restarted
    }
}

void EnterNormal() {
    switch (appMode.mode) {
        case Mode::MayimMayim:
            appMode.dancePhase = 0;
            appMode.mode = Mode::Normal;
            StopMusic();
            ReloadRunningSettings();
            break;
        case Mode::BlackHole:
            ResetBlackHole();
            appMode.mode = Mode::Normal;
            ReloadRunningSettings();
            break;
        case Mode::Normal:
            break;
    }
}

}  // namespace

void CarryOutModeCommand(int command) {
    switch (command) {
        case kCommandMayimMayim: EnterMayimMayim(); break;
        case kCommandBlackHole: EnterBlackHole(); break;
        case kCommandNormal: EnterNormal(); break;
        case kCommandRepeat: appMode.repeat = appMode.repeat ? 0 : 1; break;
        default: break;
    }
}

void StartMusic() {
    SendMusic("open mayimmayim.mid type sequencer alias mayimmayim");
    SendMusic("set mayimmayim time format song pointer");
    SendMusic("play mayimmayim NOTIFY", true);
}

void StopMusic() {
    SendMusic("stop mayimmayim");
    SendMusic("close mayimmayim");
}

// Every notice is handled alike, whether the tune ended or a stop aborted it.
void OnMciNotify() {
    SendMusic("close mayimmayim");
    appMode.dancePhase = 0;
    if (appMode.mode == Mode::MayimMayim && appMode.repeat) {
        StartMusic();
        return;
    }
    if (appMode.mode == Mode::MayimMayim) appMode.mode = Mode::Normal;
    ReloadRunningSettings();
}

void OnMainWindowCreated() {
    runningSettings = DefaultSettings(screenHeight);
    LoadSettings(runningSettings);
    userSettings = runningSettings;
    InitialLayout();
    platform.timer->Restart(AnimationPeriodMs(runningSettings.updateInterval));
}

void OnDisplayChanged(const DisplayMetrics& metrics) {
    ApplyDisplayMetrics(metrics);
    appMode.layoutDirty = 1;
}

namespace {

void MeasureDisplayAgain() {
    DisplayMetrics metrics = {};
    if (platform.view->MeasureDisplay(metrics)) OnDisplayChanged(metrics);
}

}  // namespace

void OnSystemSettingChanged(unsigned action) {
    if (action == kWorkAreaSetting) MeasureDisplayAgain();
}

void OnViewWatch() {
    if (platform.view->FindAgainIfGone()) {
        DisplayMetrics metrics = {};
        if (platform.view->MeasureDisplay(metrics)) ApplyDisplayMetrics(metrics);
        LayOutNewView();
        return;
    }
    if (platform.view->MovedSinceMeasured()) MeasureDisplayAgain();
}

void OnMainWindowDestroyed() {
    if (appMode.mode == Mode::MayimMayim) {
        appMode.mode = Mode::Normal;
        StopMusic();
    } else if (appMode.mode == Mode::BlackHole) {
        ResetBlackHole();
    }
}

void ResetEngine() {
    ResetAppState();
    ResetIconRing();
    runningSettings = Settings{};
    userSettings = Settings{};
    blackHoleIconAwaitsCount = false;
}
