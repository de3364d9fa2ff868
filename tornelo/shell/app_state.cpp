#include "shell/app_state.h"

AppMode appMode = {};
BlackHoleState blackHole = {};
int screenWidth = 0;
int screenHeight = 0;
int primaryOriginX = 0;
int primaryOriginY = 0;
int virtualScreenRight = 0;

void ApplyDisplayMetrics(const DisplayMetrics& metrics) {
    screenWidth = metrics.screenWidth;
    screenHeight = metrics.screenHeight;
    primaryOriginX = metrics.primaryOriginX;
    primaryOriginY = metrics.primaryOriginY;
    virtualScreenRight = metrics.virtualScreenRight;
}

void ResetBlackHole() {
    blackHole.blackHoleStage = BlackHoleStage::Swallowing;
    blackHole.blackHoleElapsed = 0.0;
}

void ResetAppState() {
    appMode = AppMode{};
    blackHole = BlackHoleState{};
    ApplyDisplayMetrics(DisplayMetrics{});
}
