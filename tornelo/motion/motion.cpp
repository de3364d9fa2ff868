#include "motion/motion.h"

#include <cmath>

#include "motion/icon_ring.h"
#include "motion/platform_seam.h"
#include "settings/settings.h"
#include "shell/app_state.h"

namespace {

bool InBlackHole() { return appMode.mode == Mode::BlackHole; }
bool Swallowing() { return blackHole.blackHoleStage == BlackHoleStage::Swallowing; }

void TurnRing() {
    double step = kTwoPi * runningSettings.updateInterval / runningSettings.revolutionTime;
    if (InBlackHole() && blackHole.blackHoleStage == BlackHoleStage::Bursting && appMode.repeat) step *= 2.0;
    iconRing.ringAngle += step;
    // One wrap only, and none below zero: cosine and sine take any angle.
    if (iconRing.ringAngle >= kTwoPi) iconRing.ringAngle -= kTwoPi;
}

// A new view (the shell restarted) is laid out afresh, as a changed count is.
bool LayoutWanted(bool newView) {
    const bool asked = newView || iconRing.iconCount != iconRing.previousIconCount || iconRing.layoutDirtyPrev ||
                       appMode.layoutDirty;
    return asked && Swallowing();
}

void RelayoutSlot(int slot) {
    if (InBlackHole()) {
        BlackHoleRelayoutSlot(slot);
        return;
    }
    const SlotPolar polar = SpiralSlot(slot);
    iconRing.slotAngle[slot] = polar.angle;
    iconRing.slotRadius[slot] = polar.radius;
}

void PlaceSlot(int slot) {
    if (iconRing.slotRadius[slot] < 0.0 || !Swallowing() || InBlackHole())
        BlackHolePosition(slot);
    else
        MoveIcon(slot, SlotPosition(slot));
}

void FinishTick() {
    iconRing.previousIconCount = iconRing.iconCount;
    iconRing.layoutDirtyPrev = appMode.layoutDirty != 0;
    // Re-arming is how a new update interval takes effect.
    if (appMode.layoutDirty) platform.timer->Restart(AnimationPeriodMs(runningSettings.updateInterval));
    appMode.layoutDirty = 0;
}

}  // namespace

unsigned AnimationPeriodMs(double updateInterval) {
    const double ms = std::trunc(1000.0 * updateInterval);
    if (!(ms > 0.0)) return 0;
    if (ms >= 4294967295.0) return 4294967295u;
    return static_cast<unsigned>(ms);
}

void MotionTick() {
    // Taken before the dance changes the outer radius.
    const double danceRadiusStep = runningSettings.outerRadius * runningSettings.updateInterval * 0.6;
    if (appMode.mode == Mode::MayimMayim) DanceStep(danceRadiusStep);
    if (InBlackHole()) BlackHoleStep();
    TurnRing();
    const bool newView = platform.view->FindAgainIfGone();
    RefreshIconCount();
    // Outermost first; a slot is re-laid and placed before the next.
    for (int slot = iconRing.iconCount - 1; slot >= 0; --slot) {
        if (LayoutWanted(newView)) RelayoutSlot(slot);
        PlaceSlot(slot);
    }
    BlackHoleEndOfTick();
    FinishTick();
}
