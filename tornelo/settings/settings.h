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

// Relative on purpose: the file lives in the directory tornelo was started in.
extern const char* const kSettingsFilePath;  // "./tornelo.ini"

// The defaults for a screen of that height.
Settings DefaultSettings(int height);

// Reads the settings file over `target`; fields the file does not validly
// supply keep their values. Uses screenHeight and platform.view.
void LoadSettings(Settings& target);

// Rewrites the settings file whole; a failure is silent.
void SaveSettings(const Settings& source);
