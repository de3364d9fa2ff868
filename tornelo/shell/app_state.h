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

// Full-screen size of the primary monitor, measured at window creation
// and again on every display change.
extern int screenWidth;
extern int screenHeight;
// The desktop view spans every monitor and its coordinates start at the
// virtual screen's top-left corner: this is where the primary screen's
// top-left corner lies in them, (0, 0) unless a monitor lies left of or
// above the primary one.
extern int primaryOriginX;
extern int primaryOriginY;
// The view x of the virtual screen's right edge; swallowed icons park
// beyond it. 0 until measured.
extern int virtualScreenRight;

// The display as the Win32 side measures it, in one record.
struct DisplayMetrics {
    int screenWidth;
    int screenHeight;
    int primaryOriginX;
    int primaryOriginY;
    int virtualScreenRight;
};
void ApplyDisplayMetrics(const DisplayMetrics& metrics);

// Back to Swallowing with no time elapsed; the hole's position stays.
void ResetBlackHole();

// Zeroes every record above and the display (for tests and the simulator).
void ResetAppState();
