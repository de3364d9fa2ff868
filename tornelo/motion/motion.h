// The per-tick engine and the two special modes that plug into it.
#pragma once

// Timer period for an update interval: whole milliseconds, truncated.
unsigned AnimationPeriodMs(double updateInterval);

// One tick of the animation timer. A tick that starts while another pass
// of the engine waits for the shell returns at once, and so does one while
// the view arranges itself.
void MotionTick();

// A view found anew (the shell restarted, or the desktop appeared after
// tornelo): every slot laid out and placed at once, as a tick does after a
// change of the icon count, without turning the ring. Also how the icons
// come back at once when the view stops arranging itself.
void LayOutNewView();

// The dance's pre-step; danceRadiusStep is taken at the start of the tick.
void DanceStep(double danceRadiusStep);

void BlackHoleStep();
void BlackHoleRelayoutSlot(int slot);  // the swallowing re-layout
void BlackHolePosition(int slot);
void BlackHoleEndOfTick();
