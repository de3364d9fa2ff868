// tornelo-sim: runs tornelo's motion engine against a virtual desktop, a
// virtual song clock and the C runtime's random numbers, tick by tick.
#include <cstdio>

#include "shell/app_state.h"
#include "sim_options.h"
#include "sim_run.h"

int main(int argc, char** argv) {
    SimOptions options;
    char error[160] = {};
    if (!ParseSimOptions(argc, argv, options, error, sizeof error)) {
        std::fprintf(stderr, "tornelo-sim: %s\n%s", error, kSimUsage);
        return 2;
    }
    if (options.helpWanted) {
        std::fputs(kSimUsage, stdout);
        return 0;
    }
    const SimResult result = RunSimulation(options, stdout);
    if (!result.ok) {
        std::fprintf(stderr, "tornelo-sim: %s\n", result.error);
        return 1;
    }
    if (options.output == SimOutput::Summary) {
        std::printf("ticks %ld, icon moves %ld, timer restarts %ld, plays %ld, final mode %d, dance phase %d\n",
                    options.ticks, result.movesSent, result.timerRestarts, result.plays,
                    static_cast<int>(appMode.mode), static_cast<int>(appMode.dancePhase));
    } else if (options.output == SimOutput::Gif) {
        std::fprintf(stderr, "tornelo-sim: %ld frames in %s\n", result.framesWritten, options.gifPath.c_str());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
