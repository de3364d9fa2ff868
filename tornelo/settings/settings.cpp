#include "settings/settings.h"

#include <cstdio>

#include "motion/platform_seam.h"
#include "scoped_file.h"
#include "settings/number_text.h"
#include "settings/settings_line.h"
#include "shell/app_state.h"

Settings runningSettings = {};
Settings userSettings = {};
GivenValues userGiven = {};
GivenValues runningGiven = {};
const char* const kSettingsFilePath = "./tornelo.ini";

namespace {

constexpr int kFieldCount = 8;

int ThreeQuartersOf(int height) { return static_cast<int>(3LL * height / 4); }

int Bounded(int value, int lower, int upper) {
    if (value < lower) value = lower;
    if (value > upper) value = upper;
    return value;
}

double Bounded(double value, double lower, double upper) {
    if (value < lower) value = lower;
    if (value > upper) value = upper;
    return value;
}

// `given`, when not null, records the value as read.
void ApplyIntegerField(int& field, const char* begin, const char* end, int lower, int upper, int* given = nullptr) {
    const int value = ReadIntegerText(begin, end);
    if (value == 0) return;
    field = Bounded(value, lower, upper);
    if (given) *given = value;
}

void ApplyRealField(double& field, const char* begin, const char* end, double lower, double upper) {
    const double value = ReadRealText(begin, end);
    if (value != 0.0) field = Bounded(value, lower, upper);
}

void ApplyField(Settings& target, int index, const char* begin, const char* end, int height, GivenValues* given) {
    const int radiusLimit = ThreeQuartersOf(height);
    switch (index) {
        case 0:
            ApplyIntegerField(target.innerRadius, begin, end, 1, radiusLimit, given ? &given->innerRadius : nullptr);
            break;
        case 1:
            ApplyIntegerField(target.outerRadius, begin, end, 1, radiusLimit, given ? &given->outerRadius : nullptr);
            break;
        case 2: ApplyRealField(target.turns, begin, end, -20.0, 20.0); break;
        case 3: ApplyRealField(target.spacingRatio, begin, end, 0.001, 1000.0); break;
        case 4: ApplyRealField(target.updateInterval, begin, end, 0.001, 30000.0); break;
        case 5: ApplyIntegerField(target.revolutionTime, begin, end, -30000, 30000); break;
        case 6: ApplyIntegerField(target.maxIcons, begin, end, 1, kIconLimit); break;
        case 7: {
            // The view is asked only for a given number: its count is the bound.
            const int value = ReadIntegerText(begin, end);
            if (value == 0) break;
            target.blackHoleIcon = BoundedBlackHoleIcon(value, platform.view->ItemCount());
            if (given) given->blackHoleIcon = BoundedBlackHoleIcon(value, 0);
            break;
        }
        default: break;
    }
}

// Where the line as a 256-byte fgets would hand it over ends.
const char* LineEnd(const char* line) {
    int length = 0;
    while (length < kSettingsLineLimit && line[length] != '\0')
        if (line[length++] == '\n') break;
    return line + length;
}

}  // namespace

Settings DefaultSettings(int height) {
    Settings settings;
    settings.innerRadius = 20;
    settings.outerRadius = height / 2 - 50;
    settings.turns = 3.0;
    settings.spacingRatio = 1.0;
    settings.updateInterval = 0.2;
    settings.revolutionTime = 180;
    settings.maxIcons = 500;
    settings.blackHoleIcon = 1;
    return settings;
}

void ApplySettingsLine(Settings& target, const char* line, int height, GivenValues* given) {
    if (!line) return;
    const char* end = LineEnd(line);
    const char* p = line;
    // Like strtok on ",": runs of commas separate, empty fields do not count.
    for (int index = 0; index < kFieldCount; ++index) {
        while (p < end && *p == ',') ++p;
        if (p == end) return;
        const char* fieldBegin = p;
        while (p < end && *p != ',') ++p;
        ApplyField(target, index, fieldBegin, p, height, given);
    }
}

void FormatSettingsLine(char* buffer, size_t size, const Settings& source) {
    if (!buffer || size == 0) return;
    // Wide enough for any double in "%.3f"; the line itself is cut at `size`.
    char turns[320], spacingRatio[320], updateInterval[320];
    FormatReal3(turns, sizeof turns, source.turns);
    FormatReal3(spacingRatio, sizeof spacingRatio, source.spacingRatio);
    FormatReal3(updateInterval, sizeof updateInterval, source.updateInterval);
    const int length = std::snprintf(buffer, size, "%d,%d,%s,%s,%s,%d,%d,%d", source.innerRadius,
                                     source.outerRadius, turns, spacingRatio, updateInterval,
                                     source.revolutionTime, source.maxIcons, source.blackHoleIcon);
    if (length < 0) buffer[0] = '\0';
}

int BoundedBlackHoleIcon(int value, int itemCount) {
    return itemCount >= 1 ? Bounded(value, 1, itemCount) : (value < 1 ? 1 : value);
}

void BoundBlackHoleIconByCount(int itemCount) {
    if (runningGiven.blackHoleIcon == 0 || itemCount < 1) return;
    runningSettings.blackHoleIcon = BoundedBlackHoleIcon(runningGiven.blackHoleIcon, itemCount);
}

void FitRadii(Settings& target, const GivenValues& given, int height) {
    const Settings defaults = DefaultSettings(height);
    const int limit = ThreeQuartersOf(height);
    target.innerRadius = Bounded(given.innerRadius != 0 ? given.innerRadius : defaults.innerRadius, 1, limit);
    target.outerRadius = Bounded(given.outerRadius != 0 ? given.outerRadius : defaults.outerRadius, 1, limit);
}

void LoadUserSettings(Settings& target, GivenValues& given) {
    target = userSettings;
    given = userGiven;
    LoadSettings(target, &given);
    FitRadii(target, given, screenHeight);
}

void LoadRunningSettings() { LoadUserSettings(runningSettings, runningGiven); }

void LoadSettings(Settings& target, GivenValues* given) {
    const ScopedFile file = OpenScopedFile(kSettingsFilePath, "r");
    if (!file) return;
    char line[256];
    if (std::fgets(line, sizeof line, file.get())) ApplySettingsLine(target, line, screenHeight, given);
}

void SaveSettings(const Settings& source) {
    const ScopedFile file = OpenScopedFile(kSettingsFilePath, "w");
    if (!file) return;
    char line[256];
    FormatSettingsLine(line, sizeof line, source);
    std::fputs(line, file.get());
}
