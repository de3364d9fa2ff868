#include "sim_options.h"

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tune.h"

const char* const kSimUsage =
    "usage: tornelo-sim --screen WxH --icons N [--settings \"LINE\"] [--mode normal|dance|blackhole]\n"
    "                   [--repeat] [--ticks K] [--seed S] [--song \"p0,p1,...\" | --tempo BPM]\n"
    "                   [--song-end P] [--csv | --gif FILE [--every K] [--scale S]]\n"
    "  --settings  the settings file's one line (without it: no settings file)\n"
    "  --song      song positions the sequencer reports, one per query (one query a tick)\n"
    "  --tempo     the song advances 4 sixteenths a beat on the simulated clock\n"
    "              (default: the tempo of mayimmayim.mid)\n"
    "  --song-end  where the play ends and its completion notice comes (default: the\n"
    "              length of mayimmayim.mid in sixteenths)\n"
    "  --csv       every icon move as tick,item,x,y; tick 0 is the initial layout\n"
    "  --gif       an animated picture of every K-th tick, shrunk by S; each frame\n"
    "              stores only what changed (convert FILE -coalesce f%03d.png for stills)\n";

namespace {

class ParseError {
public:
    ParseError(char* buffer, size_t size) : buffer_(buffer), size_(size) {}
    bool operator()(const char* format, ...) const {
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(buffer_, size_, format, arguments);
        va_end(arguments);
        return false;
    }

private:
    char* buffer_;
    size_t size_;
};

bool ReadLong(const char* text, long low, long high, long& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

bool ReadDouble(const char* text, double low, double high, double& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text, &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(parsed) || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

bool ReadScreen(const char* text, int& width, int& height) {
    if (!text) return false;
    const char* cross = std::strchr(text, 'x');
    if (!cross || cross - text > 15) return false;
    char widthText[16];
    std::snprintf(widthText, sizeof widthText, "%.*s", static_cast<int>(cross - text), text);
    long w = 0, h = 0;
    if (!ReadLong(widthText, 16, 8192, w) || !ReadLong(cross + 1, 16, 8192, h)) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool ReadPositions(const char* text, std::vector<double>& positions) {
    if (!text) return false;
    positions.clear();
    const char* at = text;
    while (*at) {
        char* end = nullptr;
        const double value = std::strtod(at, &end);
        if (end == at || !std::isfinite(value) || value < 0.0) return false;
        positions.push_back(value);
        at = end;
        if (*at == ',') ++at;
        else if (*at != '\0') return false;
    }
    return !positions.empty();
}

bool ReadMode(const char* text, SimMode& mode) {
    if (!text) return false;
    if (std::strcmp(text, "normal") == 0) mode = SimMode::Normal;
    else if (std::strcmp(text, "dance") == 0) mode = SimMode::Dance;
    else if (std::strcmp(text, "blackhole") == 0) mode = SimMode::BlackHole;
    else return false;
    return true;
}

}  // namespace

bool ParseSimOptions(int argc, const char* const* argv, SimOptions& options, char* error, size_t errorSize) {
    const ParseError fail(error, errorSize);
    options.song = SongScript{true, static_cast<double>(tune::kTempoBpm), {}, static_cast<double>(tune::kLengthInSixteenths)};
    bool songGiven = false, tempoGiven = false, csvGiven = false, gifGiven = false;
    for (int i = 1; i < argc; ++i) {
        const char* name = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        long number = 0;
        double real = 0.0;
        if (std::strcmp(name, "--help") == 0) {
            options.helpWanted = true;
            continue;
        }
        if (std::strcmp(name, "--repeat") == 0) {
            options.repeat = true;
            continue;
        }
        if (std::strcmp(name, "--csv") == 0) {
            options.output = SimOutput::Csv;
            csvGiven = true;
            continue;
        }
        ++i;  // every other option takes a value
        if (std::strcmp(name, "--screen") == 0) {
            if (!ReadScreen(value, options.screenWidth, options.screenHeight)) return fail("--screen wants WxH, 16 to 8192 each");
        } else if (std::strcmp(name, "--icons") == 0) {
            if (!ReadLong(value, 0, 4000, number)) return fail("--icons wants 0 to 4000");
            options.icons = static_cast<int>(number);
        } else if (std::strcmp(name, "--settings") == 0) {
            if (!value) return fail("--settings wants a line");
            options.hasSettingsLine = true;
            options.settingsLine = value;
        } else if (std::strcmp(name, "--mode") == 0) {
            if (!ReadMode(value, options.mode)) return fail("--mode wants normal, dance or blackhole");
        } else if (std::strcmp(name, "--ticks") == 0) {
            if (!ReadLong(value, 0, 10000000, number)) return fail("--ticks wants 0 to 10000000");
            options.ticks = number;
        } else if (std::strcmp(name, "--seed") == 0) {
            if (!ReadLong(value, 0, 4294967295L, number)) return fail("--seed wants 0 to 4294967295");
            options.seed = static_cast<uint32_t>(number);
        } else if (std::strcmp(name, "--song") == 0) {
            if (!ReadPositions(value, options.song.positions)) return fail("--song wants positions like 0,1.5,3");
            options.song.followsTempo = false;
            songGiven = true;
        } else if (std::strcmp(name, "--tempo") == 0) {
            if (!ReadDouble(value, 1.0, 2000.0, real)) return fail("--tempo wants 1 to 2000 beats a minute");
            options.song.beatsPerMinute = real;
            tempoGiven = true;
        } else if (std::strcmp(name, "--song-end") == 0) {
            if (!ReadDouble(value, 1.0, 1e7, real)) return fail("--song-end wants 1 to 10000000 sixteenths");
            options.song.songEnd = real;
        } else if (std::strcmp(name, "--gif") == 0) {
            if (!value || !*value) return fail("--gif wants a file name");
            options.output = SimOutput::Gif;
            options.gifPath = value;
            gifGiven = true;
        } else if (std::strcmp(name, "--every") == 0) {
            if (!ReadLong(value, 1, 100000, number)) return fail("--every wants 1 to 100000");
            options.every = static_cast<int>(number);
        } else if (std::strcmp(name, "--scale") == 0) {
            if (!ReadDouble(value, 0.05, 4.0, real)) return fail("--scale wants 0.05 to 4");
            options.scale = real;
        } else {
            return fail("unknown option %s", name);
        }
    }
    if (songGiven && tempoGiven) return fail("--song and --tempo exclude each other");
    if (csvGiven && gifGiven) return fail("--csv and --gif exclude each other");
    return true;
}
