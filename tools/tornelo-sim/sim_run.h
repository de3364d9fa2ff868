// One simulated run of tornelo's engine: start-up as the main window does
// it, the mode chosen from the menu, then K timer ticks on a virtual clock.
#pragma once

#include <cstdio>

#include "sim_options.h"

struct SimResult {
    bool ok;
    long movesSent;
    long timerRestarts;
    long plays;
    long framesWritten;
    char error[160];
};

// Writes the CSV to `csvOut` when asked; the GIF goes to options.gifPath.
SimResult RunSimulation(const SimOptions& options, std::FILE* csvOut);
