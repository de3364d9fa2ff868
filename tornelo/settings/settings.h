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

// Relative on purpose: the file lives in the directory tornelo was started in.
extern const char* const kSettingsFilePath;  // "./tornelo.ini"

// The defaults for a screen of that height.
Settings DefaultSettings(int height);

// Reads the settings file over `target`; fields the file does not validly
// supply keep their values. Uses screenHeight and platform.view.
void LoadSettings(Settings& target);

// The running settings back from the user's values and the file over them.
void LoadRunningSettings();

// The black-hole icon is bounded by the view's item count only when the view
// answered with an item or more: without a desktop yet, or with a shell that
// does not answer, a bound of 0 would make it name no item. Such a value is
// kept as read (at least 1), and the first count known bounds the running one.
int BoundedBlackHoleIcon(int value, int itemCount);
extern bool blackHoleIconAwaitsCount;
void BoundBlackHoleIconByCount(int itemCount);

// Rewrites the settings file whole; a failure is silent.
void SaveSettings(const Settings& source);
