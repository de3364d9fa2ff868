#include "motion/motion.h"

#include <cmath>
#include <utility>

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

// Set while the engine waits for the shell: a message delivered meanwhile
// may not start another pass over the ring.
bool engineBusy = false;

class EnginePass {
public:
    EnginePass() { engineBusy = true; }
    ~EnginePass() { engineBusy = false; }
    EnginePass(const EnginePass&) = delete;
    EnginePass& operator=(const EnginePass&) = delete;
};

// True while the view arranges itself; the first pass after that lays
// every slot out again.
bool PausedForArrange(bool& relayout) {
    if (platform.view->ArrangesItself()) {
        iconRing.pausedForArrange = true;
        return true;
    }
    if (std::exchange(iconRing.pausedForArrange, false)) relayout = true;
    return false;
}

bool LayoutWanted(bool forced) {
    const bool asked = forced || iconRing.iconCount != iconRing.previousIconCount || iconRing.layoutDirtyPrev ||
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

// Outermost first; a slot is re-laid and placed before the next.
void PlaceRing(bool relayout) {
    for (int slot = iconRing.iconCount - 1; slot >= 0; --slot) {
        if (LayoutWanted(relayout)) RelayoutSlot(slot);
        PlaceSlot(slot);
    }
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
    if (engineBusy) return;
    bool relayout = false;
    if (PausedForArrange(relayout)) return;
    const EnginePass pass;
    // Taken before the dance changes the outer radius.
    const double danceRadiusStep = runningSettings.outerRadius * runningSettings.updateInterval * 0.6;
    if (appMode.mode == Mode::MayimMayim) DanceStep(danceRadiusStep);
    if (InBlackHole()) BlackHoleStep();
    TurnRing();
    RefreshIconCount();
    PlaceRing(relayout);
    BlackHoleEndOfTick();
    FinishTick();
}

void LayOutNewView() {
    if (engineBusy) return;
    bool resumed = false;  // every slot is laid out here anyway
    if (PausedForArrange(resumed)) return;
    const EnginePass pass;
    RefreshIconCount();
    PlaceRing(true);
    iconRing.previousIconCount = iconRing.iconCount;
}
