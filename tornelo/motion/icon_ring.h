// The desktop icons as beads on a turning spiral around the screen centre.
#pragma once

#include <cstdint>

#include "settings/settings.h"

// Two spare entries beyond the most icons taken.
constexpr int RING_CAPACITY = kIconLimit + 2;

// 2π and 4π as the engine's decimal constants, not the full-precision
// values: every angle and position the engine gives is defined with these.
constexpr double kTwoPi = 6.2831853;
constexpr double kFourPi = 12.5663706;

struct IconRing {
    int iconCount;          // min(items in the view, maxIcons)
    int previousIconCount;  // iconCount at the end of the previous tick
    double slotAngle[RING_CAPACITY];   // radians, relative to ringAngle
    double slotRadius[RING_CAPACITY];  // pixels; negative: swallowed
    double ringAngle;       // common rotation; never reset
    bool layoutDirtyPrev;   // layoutDirty as it was at the end of the previous tick
    // No moves while the view arranges itself (auto-arrange on): each would
    // set off an arrange of the whole desktop. The first pass after lays
    // every icon out again.
    bool pausedForArrange;
};

extern IconRing iconRing;

struct SlotPolar {
    double angle;
    double radius;
};

struct ScreenPoint {
    int x;
    int y;
};

// Low 16 bits of x in the low half, low 16 bits of y in the high half.
uint32_t PackPosition(int x, int y);

// The spiral for slot i of iconCount, as laid out at start-up.
SlotPolar InitialSpiralSlot(int i);
// The spiral for a real slot index x, as every later re-layout computes it.
SlotPolar SpiralSlot(double x);

int SlotToItem(int slot);
ScreenPoint SlotPosition(int slot);
void MoveIcon(int slot, ScreenPoint position);

void RefreshIconCount();
void InitialLayout();

// Zeroes the ring (for tests and the simulator).
void ResetIconRing();
