// The simulator's command line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sim_platform.h"

enum class SimMode { Normal, Dance, BlackHole };
enum class SimOutput { Summary, Csv, Gif };

struct SimOptions {
    int screenWidth = 1024;
    int screenHeight = 740;
    int icons = 12;
    bool hasSettingsLine = false;
    std::string settingsLine;  // the settings file's content
    SimMode mode = SimMode::Normal;
    bool repeat = false;
    long ticks = 100;
    uint32_t seed = 1;  // the C runtime's seed before any srand
    SongScript song{true, 0.0, {}, 0.0};
    SimOutput output = SimOutput::Summary;
    std::string gifPath;
    int every = 1;
    double scale = 1.0;
    bool helpWanted = false;
};

// Fills `options` from the arguments; on a mistake returns false with a
// message in `error`.
bool ParseSimOptions(int argc, const char* const* argv, SimOptions& options, char* error, size_t errorSize);

extern const char* const kSimUsage;
