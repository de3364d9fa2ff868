#include "sim_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "frame_painter.h"
#include "gif_movie.h"
#include "motion/icon_ring.h"
#include "motion/motion.h"
#include "motion/platform_seam.h"
#include "msvcrt_random.h"
#include "settings/settings.h"
#include "shell/app_state.h"
#include "shell/mode_control.h"

namespace {

class CsvTrace final : public MoveListener {
public:
    explicit CsvTrace(std::FILE* out) : out_(out) { std::fputs("tick,item,x,y\n", out_); }
    void OnMove(int item, int x, int y) override { std::fprintf(out_, "%ld,%d,%d,%d\n", tick, item, x, y); }
    long tick = 0;

private:
    std::FILE* out_;
};

// The engine reads and reloads "./tornelo.ini" from the current directory.
// The run gets a private directory holding exactly the given line, so that
// every reload sees the same file whatever directory the simulator is
// started in.
class PrivateSettingsDirectory {
public:
    explicit PrivateSettingsDirectory(const SimOptions& options) {
        const char* base = std::getenv("TMPDIR");
        std::snprintf(directory_, sizeof directory_, "%s/tornelo-sim.XXXXXX", base && *base ? base : "/tmp");
        if (!mkdtemp(directory_)) return;
        made_ = true;
        returnTo_ = open(".", O_RDONLY | O_DIRECTORY);
        if (returnTo_ < 0 || chdir(directory_) != 0) return;
        entered_ = true;
        if (options.hasSettingsLine) {
            std::FILE* file = std::fopen("tornelo.ini", "w");
            if (!file) return;
            written_ = std::fputs(options.settingsLine.c_str(), file) >= 0;
            written_ = (std::fclose(file) == 0) && written_;
        } else {
            written_ = true;
        }
    }

    ~PrivateSettingsDirectory() {
        if (entered_) unlink("tornelo.ini");
        if (returnTo_ >= 0) {
            if (fchdir(returnTo_) != 0) {
                // Nothing left to do in a directory we cannot leave.
            }
            close(returnTo_);
        }
        if (made_) rmdir(directory_);
    }

    bool Ready() const { return entered_ && written_; }

private:
    char directory_[512];
    bool made_ = false;
    bool entered_ = false;
    bool written_ = false;
    int returnTo_ = -1;
};

int CommandFor(SimMode mode) {
    switch (mode) {
        case SimMode::Dance: return kCommandMayimMayim;
        case SimMode::BlackHole: return kCommandBlackHole;
        default: return kCommandNormal;
    }
}

int DelayCentiseconds(unsigned tickSpacingMs, int every) {
    const unsigned long total = static_cast<unsigned long>(tickSpacingMs) * static_cast<unsigned long>(every);
    const unsigned long centiseconds = (total + 5) / 10;
    return centiseconds > 65535 ? 65535 : static_cast<int>(centiseconds);
}

SimResult Failed(const char* why) {
    SimResult result{};
    result.ok = false;
    std::snprintf(result.error, sizeof result.error, "%s", why);
    return result;
}

}  // namespace

SimResult RunSimulation(const SimOptions& options, std::FILE* csvOut) {
    // The GIF is opened before the run leaves the caller's directory.
    int gifDescriptor = -1;
    if (options.output == SimOutput::Gif) {
        gifDescriptor = open(options.gifPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (gifDescriptor < 0) return Failed("cannot create the GIF file");
    }
    PrivateSettingsDirectory settingsDirectory(options);
    if (!settingsDirectory.Ready()) {
        if (gifDescriptor >= 0) close(gifDescriptor);
        return Failed("cannot prepare a private settings directory");
    }

    VirtualDesktop desktop(options.icons, options.screenHeight);
    VirtualTimer timer(0);
    SongClockDevice music(options.song);
    MsvcrtRandom random(options.seed);
    std::unique_ptr<CsvTrace> trace;
    if (options.output == SimOutput::Csv) {
        trace.reset(new CsvTrace(csvOut));
        desktop.Listen(trace.get());
    }

    ResetEngine();
    platform = Platform{&desktop, &timer, &music, &random};
    screenWidth = options.screenWidth;
    screenHeight = options.screenHeight;

    std::unique_ptr<FramePainter> painter;
    std::unique_ptr<GifMovie> movie;
    if (gifDescriptor >= 0) {
        painter.reset(new FramePainter(options.screenWidth, options.screenHeight, options.scale));
        movie.reset(new GifMovie(gifDescriptor, painter->Width(), painter->Height(), FramePainter::Palette()));
    }

    OnMainWindowCreated();  // tick 0: settings, the initial layout, the timer
    if (options.repeat) CarryOutModeCommand(kCommandRepeat);
    CarryOutModeCommand(CommandFor(options.mode));

    for (long tick = 0; tick <= options.ticks; ++tick) {
        if (tick > 0) {
            music.AdvanceClock(timer.TickSpacingMs());
            if (music.TakeNotice()) OnMciNotify();
            if (trace) trace->tick = tick;
            MotionTick();
        }
        if (movie && tick % options.every == 0) {
            const Canvas& frame = painter->Paint(desktop.Positions(), {tick, music.LastReportedPosition()});
            movie->AddFrame(frame, DelayCentiseconds(timer.TickSpacingMs(), options.every));
        }
    }

    SimResult result{};
    result.ok = true;
    result.movesSent = desktop.MovesSent();
    result.timerRestarts = timer.Restarts();
    result.plays = music.Plays();
    if (movie) {
        result.framesWritten = movie->FramesWritten();
        if (!movie->Close()) {
            result.ok = false;
            std::snprintf(result.error, sizeof result.error, "could not write the GIF file");
        }
    }
    ResetPlatform();
    return result;
}
