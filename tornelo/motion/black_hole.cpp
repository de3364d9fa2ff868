#include <climits>
#include <cmath>

#include "motion/icon_ring.h"
#include "motion/motion.h"
#include "motion/platform_seam.h"
#include "motion/trunc_to_int.h"
#include "settings/settings.h"
#include "shell/app_state.h"

namespace {

constexpr double kTrembleSeconds = 5.0;
constexpr double kBurstSeconds = 6.5536;  // 1.6 to the fourth power
constexpr double kRandomMax = 32767.0;

int Magnitude(int value) {
    if (value == INT_MIN) return INT_MAX;
    return value < 0 ? -value : value;
}

bool Swallowed(int slot) { return iconRing.slotRadius[slot] < -0.5; }

// Just beyond the right edge of every monitor, out of sight.
ScreenPoint ParkingPlace() {
    const int rightEdge = virtualScreenRight > screenWidth ? virtualScreenRight : screenWidth;
    return {rightEdge > INT_MAX - 50 ? INT_MAX : rightEdge + 50, 1};
}

void SetSlot(int slot, SlotPolar polar) {
    iconRing.slotAngle[slot] = polar.angle;
    iconRing.slotRadius[slot] = polar.radius;
}

// base + trunc(r * span / 32767), with a fresh random number r.
int Jitter(int base, double offset, double span) {
    const double r = platform.random->Next();
    return TruncToInt(base + offset + std::trunc(r * span / kRandomMax));
}

void StartBurst() {
    blackHole.blackHoleStage = BlackHoleStage::Bursting;
    blackHole.blackHoleElapsed = 0.0;
    // The icon count of the previous tick: it is refreshed later in the tick.
    for (int slot = iconRing.iconCount - 1; slot >= 0; --slot) SetSlot(slot, SpiralSlot(slot));
}

void StartTrembling() {
    blackHole.blackHoleStage = BlackHoleStage::Trembling;
    blackHole.blackHoleElapsed = 0.0;
    const ScreenPoint hole = SlotPosition(0);
    blackHole.holeX = hole.x;
    blackHole.holeY = hole.y;
}

ScreenPoint BurstPosition(int slot) {
    const double u = std::sqrt(std::sqrt(blackHole.blackHoleElapsed));
    const double angle = iconRing.ringAngle + iconRing.slotAngle[slot];
    const double radius = iconRing.slotRadius[slot];
    // (u + 0.2) / 1.8 of the way from the hole to the slot's spiral place.
    const double centreX = primaryOriginX + screenWidth * 0.5;
    const double centreY = primaryOriginY + screenHeight * 0.5;
    const double x = ((u + 0.2) * (std::cos(angle) * radius + centreX) + (1.6 - u) * blackHole.holeX) * 5 / 9;
    const double y = ((u + 0.2) * (std::sin(angle) * radius + centreY) + (1.6 - u) * blackHole.holeY) * 5 / 9;
    return {TruncToInt(x), TruncToInt(y)};
}

// The hole quivers as the last icons come close.
ScreenPoint QuiverOf(ScreenPoint position) {
    const int n = iconRing.iconCount;
    if (n >= 3 && Swallowed(n - 2)) {
        const int x = Jitter(position.x, -7.0, 14.0);
        return {x, Jitter(position.y, -4.0, 8.0)};
    }
    if (n >= 4 && Swallowed(n - 3)) {
        const int x = Jitter(position.x, -3.0, 6.0);
        return {x, Jitter(position.y, -2.0, 4.0)};
    }
    return position;
}

}  // namespace

void BlackHoleStep() {
    Settings& s = runningSettings;
    // Against the winding, so that the icons slide inward.
    const int magnitude = Magnitude(s.revolutionTime);
    s.revolutionTime = s.turns >= 0 ? -magnitude : magnitude;
    blackHole.blackHoleElapsed += s.updateInterval;
    appMode.layoutDirty = 1;
    if (blackHole.blackHoleStage == BlackHoleStage::Trembling && blackHole.blackHoleElapsed >= kTrembleSeconds)
        StartBurst();
}

void BlackHoleRelayoutSlot(int slot) {
    const Settings& s = runningSettings;
    const int n = iconRing.iconCount;
    const double x = slot + n * blackHole.blackHoleElapsed / (s.revolutionTime * s.turns);
    if (x < 0.0 && slot != 0) {
        SetSlot(slot, {0.0, -1.0});
    } else {
        SetSlot(slot, SpiralSlot(x > 0.0 ? x : 0.0));
    }
    if (slot == 0 && Swallowed(n - 1)) StartTrembling();
}

void BlackHolePosition(int slot) {
    if (iconRing.slotRadius[slot] < 0.0) {
        MoveIcon(slot, ParkingPlace());
        return;
    }
    switch (blackHole.blackHoleStage) {
        case BlackHoleStage::Trembling: {
            const int x = Jitter(blackHole.holeX, -20.0, 40.0);
            MoveIcon(slot, {x, Jitter(blackHole.holeY, -10.0, 20.0)});
            return;
        }
        case BlackHoleStage::Bursting:
            MoveIcon(slot, BurstPosition(slot));
            return;
        case BlackHoleStage::Swallowing:
            break;
    }
    const ScreenPoint position = SlotPosition(slot);
    MoveIcon(slot, slot == 0 ? QuiverOf(position) : position);
}

void BlackHoleEndOfTick() {
    if (blackHole.blackHoleStage != BlackHoleStage::Bursting || !(blackHole.blackHoleElapsed > kBurstSeconds))
        return;
    blackHole.blackHoleElapsed = 0.0;
    blackHole.blackHoleStage = BlackHoleStage::Swallowing;
    if (appMode.repeat) return;  // the icons are back on the spiral: swallowing starts again
    appMode.mode = Mode::Normal;
    LoadRunningSettings();
    appMode.layoutDirty = 1;
}
