// The application state that every part of tornelo coordinates through.
// Zero at start, never saved.
#pragma once

#include <cstdint>

enum class Mode : int32_t { Normal = 0, MayimMayim = 1, BlackHole = 2 };

struct AppMode {
    uint8_t layoutDirty;  // recompute the spiral on the next two ticks, re-arm the timer
    uint8_t repeat;       // the menu's repeat toggle
    Mode mode;
    int32_t dancePhase;   // 0..8
};

enum class BlackHoleStage : int32_t { Swallowing = 0, Trembling = 1, Bursting = 2 };

struct BlackHoleState {
    BlackHoleStage blackHoleStage;
    double blackHoleElapsed;  // seconds in the current stage, counted in ticks
    int holeX;                // where the hole stood when the last icon went
    int holeY;
};

extern AppMode appMode;
extern BlackHoleState blackHole;

// Full-screen size, measured once at window creation.
extern int screenWidth;
extern int screenHeight;

// Back to Swallowing with no time elapsed; the hole's position stays.
void ResetBlackHole();

// Zeroes every record above and the screen size (for tests and the simulator).
void ResetAppState();
