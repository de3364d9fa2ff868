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
    userGiven = GivenValues{};
    runningSettings = DefaultSettings(screenHeight);
    LoadSettings(runningSettings, &userGiven);
    userSettings = runningSettings;
    runningGiven = userGiven;
    InitialLayout();
    platform.timer->Restart(AnimationPeriodMs(runningSettings.updateInterval));
}

namespace {

// A radius from the defaults follows the screen (an undocked laptop's smaller
// one too), and none may reach beyond it. The dance owns its radii: they are
// only bounded, and the user's come back when it ends.
void FitRunningRadiiToScreen() {
    if (appMode.mode == Mode::MayimMayim) {
        const GivenValues dancing = {runningSettings.innerRadius, runningSettings.outerRadius, 0};
        FitRadii(runningSettings, dancing, screenHeight);
    } else {
        FitRadii(runningSettings, runningGiven, screenHeight);
    }
}

void TakeDisplay(const DisplayMetrics& metrics) {
    const int heightBefore = screenHeight;
    ApplyDisplayMetrics(metrics);
    if (screenHeight != heightBefore) FitRunningRadiiToScreen();
}

}  // namespace

void OnDisplayChanged(const DisplayMetrics& metrics) {
    TakeDisplay(metrics);
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
        if (platform.view->MeasureDisplay(metrics)) TakeDisplay(metrics);
        LayOutNewView();
        return;
    }
    if (platform.view->MovedSinceMeasured()) MeasureDisplayAgain();
    // Not left to the next tick, which a long update interval may hold back.
    if (iconRing.pausedForArrange) LayOutNewView();
}

namespace {

bool AnIconStandsParked() {
    for (int slot = 0; slot < iconRing.iconCount; ++slot)
        if (iconRing.slotRadius[slot] < 0.0) return true;
    return false;
}

}  // namespace

void OnMainWindowDestroyed() {
    if (appMode.mode == Mode::MayimMayim) {
        appMode.mode = Mode::Normal;
        StopMusic();
    } else if (appMode.mode == Mode::BlackHole) {
        ResetBlackHole();
        // Swallowed icons wait right of every screen, where with "Align icons
        // to grid" nothing would bring them back: one pass onto the user's spiral.
        if (AnIconStandsParked()) {
            appMode.mode = Mode::Normal;
            LoadRunningSettings();
            LayOutNewView();
        }
    }
}

void ResetEngine() {
    ResetAppState();
    ResetIconRing();
    runningSettings = Settings{};
    userSettings = Settings{};
    userGiven = GivenValues{};
    runningGiven = GivenValues{};
}
