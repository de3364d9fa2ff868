#include "motion/icon_ring.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "motion/platform_seam.h"
#include "motion/trunc_to_int.h"
#include "settings/settings.h"
#include "shell/app_state.h"

IconRing iconRing;

namespace {

// The primary screen's centre, in the view's coordinates.
int CentreX() { return primaryOriginX + screenWidth / 2; }
int CentreY() { return primaryOriginY + screenHeight / 2; }

// Cleared when a send of this tick went unanswered: a hung shell costs one
// wait a tick, not one per icon. Each tick's count query sets it afresh.
bool viewAnswering = true;

void SendMove(int item, uint32_t packedXY) {
    if (viewAnswering) viewAnswering = platform.view->SetItemPosition(item, packedXY);
}

// The radius that belongs to angle theta on the Archimedean spiral.
double RadiusAt(double theta, double r0, double r1, double turns) {
    return (r1 - r0) * theta / (kTwoPi * turns) + r0;
}

}  // namespace

uint32_t PackPosition(int x, int y) {
    return (static_cast<uint32_t>(x) & 0xFFFFu) | ((static_cast<uint32_t>(y) & 0xFFFFu) << 16);
}

// Doubles throughout: 2i(r1^2 - r0^2) overflows int on large screens.
SlotPolar InitialSpiralSlot(int i) {
    const Settings& s = runningSettings;
    const double n = iconRing.iconCount;
    const double index = i;
    const double r0 = s.innerRadius;
    const double r1 = s.outerRadius;
    const double k = s.spacingRatio;
    const double m = 1.0 + index * (k - 1.0) / (2.0 * n);
    const double w = (1.0 + k) * n;
    const double denominator = std::sqrt(r0 * r0 + (2.0 * index * (r1 * r1 - r0 * r0) / w) * m) + r0;
    // Both radii 0 (or a spiral folded onto itself) would give 0/0.
    if (!(denominator > 0.0)) return {0.0, 0.0};
    const double theta = (kFourPi * s.turns * index * (r1 + r0) / w) * m / denominator;
    return {theta, RadiusAt(theta, r0, r1, s.turns)};
}

SlotPolar SpiralSlot(double x) {
    const Settings& s = runningSettings;
    const double n = iconRing.iconCount;
    const double r0 = s.innerRadius;
    const double r1 = s.outerRadius;
    const double k = s.spacingRatio;
    const double length = (r0 + r1) * (x / n) * (2.0 * n + (x + 1.0) * (k - 1.0)) / (2.0 * n + (n + 1.0) * (k - 1.0));
    const double denominator = std::sqrt(r0 * r0 + (r1 - r0) * length) + r0;
    if (!(denominator > 0.0)) return {0.0, 0.0};
    const double theta = kTwoPi * s.turns * length / denominator;
    return {theta, RadiusAt(theta, r0, r1, s.turns)};
}

int SlotToItem(int slot) {
    const int h = runningSettings.blackHoleIcon;
    if (slot == 0) return h == INT_MIN ? INT_MIN : h - 1;
    if (slot >= 1 && slot < h) return slot - 1;
    return slot;
}

ScreenPoint SlotPosition(int slot) {
    const double angle = iconRing.ringAngle + iconRing.slotAngle[slot];
    const double radius = iconRing.slotRadius[slot];
    return {TruncToInt(std::cos(angle) * radius + CentreX()), TruncToInt(std::sin(angle) * radius + CentreY())};
}

void MoveIcon(int slot, ScreenPoint position) { SendMove(SlotToItem(slot), PackPosition(position.x, position.y)); }

void RefreshIconCount() {
    int count = platform.view->ItemCount();
    viewAnswering = count != DesktopView::kNoAnswer;
    // A shell that does not answer has not changed the desktop.
    if (!viewAnswering) return;
    BoundBlackHoleIconByCount(count);
    if (count > runningSettings.maxIcons) count = runningSettings.maxIcons;
    // Guards the ring's storage against settings that never passed the bounds.
    if (count > kIconLimit) count = kIconLimit;
    if (count < 0) count = 0;
    iconRing.iconCount = count;
}

void InitialLayout() {
    RefreshIconCount();
    iconRing.previousIconCount = iconRing.iconCount;
    for (int i = 0; i < iconRing.iconCount; ++i) {
        const SlotPolar polar = InitialSpiralSlot(i);
        iconRing.slotAngle[i] = polar.angle;
        iconRing.slotRadius[i] = polar.radius;
        const int x = TruncToInt(std::cos(polar.angle) * polar.radius + CentreX());
        const int y = TruncToInt(std::sin(polar.angle) * polar.radius + CentreY());
        // The item itself, not SlotToItem: the first tick moves the black hole in.
        SendMove(i, PackPosition(x, y));
    }
}

void ResetIconRing() {
    // In place: a zeroed temporary would be a 13 KB stack frame.
    std::memset(&iconRing, 0, sizeof iconRing);
    viewAnswering = true;
}
