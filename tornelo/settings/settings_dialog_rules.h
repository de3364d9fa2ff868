// How the settings dialog shows Settings and turns its entries back into Settings.
#pragma once
#include "settings/settings.h"
struct SettingsDialogTexts {            // the controls' texts as read (any bytes, NUL-terminated)
    const char* innerRadius;    // edit 111
    const char* outerRadius;    // edit 112
    const char* turns;          // edit 113
    const char* spacingRatio;   // edit 114
    const char* updateInterval; // edit 115
    const char* revolutionTime; // edit 116
    const char* maxIcons;       // edit 117
    const char* blackHoleIcon;  // edit 118
    bool rightward;             // radio 132 checked
    bool counterClockwise;      // radio 134 checked
};
// The entries as Settings: fallbacks for empty or zero fields, radii in either
// order, bounds, directions from the radios. itemCount is the view's
// LVM_GETITEMCOUNT answer.
Settings SettingsFromDialog(const SettingsDialogTexts& texts, int height, int itemCount);
struct SettingsDialogView {             // what WM_INITDIALOG puts into the controls
    int innerRadius, outerRadius, blackHoleIcon;         // up-down positions (121, 122, 123)
    bool leftward;                                       // radio 131, else 132
    char turns[32], spacingRatio[32], updateInterval[32];// "%.3f"; turns as absolute value
    bool clockwise;                                      // radio 133, else 134
    char revolutionTime[16], maxIcons[16];               // "%d"; revolution time as absolute value
};
SettingsDialogView SettingsDialogViewOf(const Settings& s);
// The apply hand-over: the user's values in every mode; then by mode: Normal copy + layoutDirty; BlackHole copy + ResetBlackHole + layoutDirty; MayimMayim nothing.
void HandOverAppliedSettings(const Settings& applied);
