// The per-tick engine and the two special modes that plug into it.
#pragma once

// Timer period for an update interval: whole milliseconds, truncated.
unsigned AnimationPeriodMs(double updateInterval);

// One tick of the animation timer.
void MotionTick();

// The dance's pre-step; danceRadiusStep is taken at the start of the tick.
void DanceStep(double danceRadiusStep);

void BlackHoleStep();
void BlackHoleRelayoutSlot(int slot);  // the swallowing re-layout
void BlackHolePosition(int slot);
void BlackHoleEndOfTick();
