#include "shell/app_state.h"

AppMode appMode = {};
BlackHoleState blackHole = {};
int screenWidth = 0;
int screenHeight = 0;

void ResetBlackHole() {
    blackHole.blackHoleStage = BlackHoleStage::Swallowing;
    blackHole.blackHoleElapsed = 0.0;
}

void ResetAppState() {
    appMode = AppMode{};
    blackHole = BlackHoleState{};
    screenWidth = 0;
    screenHeight = 0;
}
