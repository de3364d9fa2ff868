#include "settings/settings_dialog_rules.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "settings/number_text.h"
#include "shell/app_state.h"

namespace {

int AtMost(int value, int upper) { return value > upper ? upper : value; }
int AtLeast(int value, int lower) { return value < lower ? lower : value; }
double AtMost(double value, double upper) { return value > upper ? upper : value; }
double AtLeast(double value, double lower) { return value < lower ? lower : value; }

int Negated(int value) { return value == INT_MIN ? INT_MAX : -value; }
unsigned Magnitude(int value) { return value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value); }

int IntegerOr(const char* text, int fallback) {
    const int value = ReadIntegerText(text);
    return value != 0 ? value : fallback;
}

double RealOr(const char* text, double fallback) {
    const double value = ReadRealText(text);
    return value != 0.0 ? value : fallback;
}

}  // namespace

Settings SettingsFromDialog(const SettingsDialogTexts& texts, int height, int itemCount) {
    Settings s;
    // The radii may be typed in either order.
    const int a = ReadIntegerText(texts.innerRadius);
    const int b = ReadIntegerText(texts.outerRadius);
    s.innerRadius = AtLeast(a < b ? a : b, 1);
    s.outerRadius = AtMost(a < b ? b : a, static_cast<int>(3LL * height / 4));

    const double turns = AtLeast(AtMost(RealOr(texts.turns, 3.0), 20.0), -20.0);
    s.turns = texts.rightward ? -turns : turns;

    s.spacingRatio = AtLeast(AtMost(RealOr(texts.spacingRatio, 1.0), 1000.0), 0.001);
    s.updateInterval = AtLeast(AtMost(RealOr(texts.updateInterval, 0.2), 30000.0), 0.001);

    const int revolutionTime = AtLeast(AtMost(IntegerOr(texts.revolutionTime, 300), 30000), 1);
    s.revolutionTime = texts.counterClockwise ? Negated(revolutionTime) : revolutionTime;

    s.maxIcons = AtLeast(AtMost(IntegerOr(texts.maxIcons, 500), kIconLimit), 1);
    s.blackHoleIcon = AtLeast(AtMost(IntegerOr(texts.blackHoleIcon, 1), itemCount), 1);
    return s;
}

SettingsDialogView SettingsDialogViewOf(const Settings& s) {
    SettingsDialogView view = {};
    view.innerRadius = s.innerRadius;
    view.outerRadius = s.outerRadius;
    view.blackHoleIcon = s.blackHoleIcon;
    // Directions are shown by the radios, so the edits show magnitudes.
    view.leftward = s.turns > 0;
    FormatReal3(view.turns, sizeof view.turns, std::fabs(s.turns));
    FormatReal3(view.spacingRatio, sizeof view.spacingRatio, s.spacingRatio);
    FormatReal3(view.updateInterval, sizeof view.updateInterval, s.updateInterval);
    view.clockwise = s.revolutionTime > 0;
    std::snprintf(view.revolutionTime, sizeof view.revolutionTime, "%u", Magnitude(s.revolutionTime));
    std::snprintf(view.maxIcons, sizeof view.maxIcons, "%d", s.maxIcons);
    return view;
}

void HandOverAppliedSettings(const Settings& applied) {
    userSettings = applied;
    userGiven = {applied.innerRadius, applied.outerRadius, applied.blackHoleIcon};
    switch (appMode.mode) {
        case Mode::Normal:
            runningSettings = applied;
            runningGiven = userGiven;
            appMode.layoutDirty = 1;
            break;
        case Mode::BlackHole:
            runningSettings = applied;
            runningGiven = userGiven;
            ResetBlackHole();
            appMode.layoutDirty = 1;
            break;
        case Mode::MayimMayim:
            break;  // the dance owns the running values; the file's come back when it ends
    }
}
