// The eight user parameters of the animation and their one-line file.
#pragma once

// The most icons tornelo takes: the bound of maxIcons, and of the icon
// count its ring holds. A desktop rarely has more, and the ring's storage
// is fixed.
constexpr int kIconLimit = 800;

struct Settings {
    int innerRadius;        // pixels
    int outerRadius;        // pixels
    double turns;           // sign: winding direction; never 0
    double spacingRatio;    // innermost gap / outermost gap, > 0
    double updateInterval;  // seconds between ticks
    int revolutionTime;     // seconds per revolution; sign: rotation direction; never 0
    int maxIcons;           // 1..kIconLimit
    int blackHoleIcon;      // 1-based item number
};

// The running settings that the engine reads on every tick.
extern Settings runningSettings;

// The user's own values: those of start-up (the defaults and the file over
// them), then those of the settings dialog's last OK or Apply. A mode
// overwrites running values; without a file, or with one that gives only
// some fields, these bring the rest back.
extern Settings userSettings;

// The values the user gave (the file's fields, the dialog's values), before
// the bounds of the screen and the desktop at hand bring them in. A radius of
// 0 was not given: it follows the screen's default. A black-hole icon of 0
// was not given either.
struct GivenValues {
    int innerRadius;
    int outerRadius;
    int blackHoleIcon;
};
// Those behind userSettings, and those behind runningSettings (the user's
// with the file's over them, as last loaded or applied).
extern GivenValues userGiven;
extern GivenValues runningGiven;

// Relative on purpose: the file lives in the directory tornelo was started in.
extern const char* const kSettingsFilePath;  // "./tornelo.ini"

// The defaults for a screen of that height.
Settings DefaultSettings(int height);

// Reads the settings file over `target`; fields the file does not validly
// supply keep their values. Uses screenHeight and platform.view. The fields
// the file gives are also recorded, as read, over `given`.
void LoadSettings(Settings& target, GivenValues* given = nullptr);

// The user's values for the screen at hand: userSettings with the file over
// them, the radii as given or else the screen's defaults, bounded by its height.
void LoadUserSettings(Settings& target, GivenValues& given);
// The running settings back from the user's values and the file over them.
void LoadRunningSettings();

// The radii as given, or else the defaults of a screen of that height; both
// bounded by it as the file's are.
void FitRadii(Settings& target, const GivenValues& given, int height);

// The black-hole icon is bounded by the view's item count only when the view
// answered with an item or more: without a desktop yet, or with a shell that
// does not answer, a bound of 0 would make it name no item. Such a value is
// kept as read (at least 1).
int BoundedBlackHoleIcon(int value, int itemCount);
// The running black-hole icon is the given one bounded by the count of the
// moment, worked out again as the count rises or falls (the shell fills the
// desktop a few icons at a time at logon).
void BoundBlackHoleIconByCount(int itemCount);

// Rewrites the settings file whole; a failure is silent.
void SaveSettings(const Settings& source);
