#include "tune.h"

#include <cstddef>

namespace tune {
namespace {

// Keys by name; "s" is sharp.
enum Key : uint8_t {
    Rest = 0,
    E2 = 40, Fs2 = 42, G2 = 43, A2 = 45, B2 = 47,
    D3 = 50, E3 = 52, Fs3 = 54, G3 = 55, A3 = 57, B3 = 59,
    Cs4 = 61, D4 = 62, E4 = 64, Fs4 = 66, G4 = 67, A4 = 69, B4 = 71,
    Cs5 = 73, D5 = 74, E5 = 76, Fs5 = 78, G5 = 79, A5 = 81, B5 = 83,
    D6 = 86,
};

struct MelodyNote {
    uint8_t key;  // Rest for silence
    uint8_t sixteenths;
};

// Bar by bar; each line sums to 16. What each section is for:
//   1-2  intro: the ring forms
//   3-6  the tune, one phrase per bar: the ring circles, turning each bar
//   7-10 falling and rising runs: the ring closes in and opens out
//   11-13 the tune again, higher
//   14-17 the tune at its brightest: the fast turns
//   18   the closing chord
const MelodyNote kMelody[] = {
    {Rest, 16},
    {Rest, 8}, {A4, 2}, {B4, 2}, {Cs5, 2}, {E5, 2},
    {Fs5, 2}, {D5, 2}, {A4, 2}, {D5, 2}, {Fs5, 2}, {E5, 2}, {D5, 2}, {E5, 2},
    {G5, 2}, {Fs5, 2}, {E5, 2}, {B4, 2}, {E5, 3}, {D5, 1}, {B4, 2}, {G4, 2},
    {A4, 2}, {Cs5, 2}, {E5, 2}, {A5, 2}, {G5, 2}, {E5, 2}, {Cs5, 2}, {E5, 2},
    {Fs5, 2}, {A5, 2}, {Fs5, 2}, {D5, 2}, {E5, 3}, {D5, 3}, {Rest, 2},
    {G5, 2}, {Fs5, 1}, {G5, 1}, {E5, 2}, {D5, 2}, {Cs5, 2}, {B4, 2}, {A4, 2}, {G4, 2},
    {Fs4, 2}, {A4, 2}, {D5, 2}, {E5, 2}, {Fs5, 2}, {A5, 2}, {Fs5, 2}, {A5, 2},
    {G5, 2}, {E5, 2}, {B4, 2}, {G4, 2}, {E4, 4}, {G4, 2}, {B4, 2},
    {A4, 2}, {Cs5, 2}, {E5, 2}, {G5, 2}, {A5, 4}, {G5, 2}, {E5, 2},
    {Fs5, 2}, {D5, 2}, {A4, 2}, {D5, 2}, {Fs5, 2}, {A5, 2}, {B5, 2}, {A5, 2},
    {B5, 2}, {G5, 2}, {D5, 2}, {G5, 2}, {B5, 3}, {A5, 3}, {G5, 2},
    {A5, 2}, {E5, 2}, {Cs5, 2}, {E5, 2}, {A5, 2}, {G5, 2}, {Fs5, 2}, {E5, 2},
    {D5, 1}, {E5, 1}, {Fs5, 2}, {A5, 2}, {Fs5, 2}, {D6, 4}, {A5, 2}, {Fs5, 2},
    {Fs5, 2}, {B5, 2}, {D6, 2}, {B5, 2}, {A5, 2}, {Fs5, 2}, {D5, 2}, {Fs5, 2},
    {G5, 2}, {B5, 2}, {A5, 2}, {G5, 2}, {E5, 2}, {Cs5, 2}, {E5, 2}, {A5, 2},
    {Fs5, 2}, {A5, 2}, {D6, 2}, {A5, 2}, {Fs5, 2}, {E5, 2}, {D5, 4},
    {A5, 2}, {Rest, 2}, {Fs5, 2}, {Rest, 2}, {D6, 6}, {Rest, 2},
};

struct Chord {
    uint8_t root;   // bass register
    uint8_t fifth;  // bass register
    uint8_t voicing[4];  // off-beat chord; 0 ends it early
};

enum ChordName : uint8_t { ChordD, ChordG, ChordA7, ChordBm, ChordEm };

const Chord kChords[] = {
    /* D  */ {D3, A2, {A3, D4, Fs4, 0}},
    /* G  */ {G2, D3, {B3, D4, G4, 0}},
    /* A7 */ {A2, E3, {A3, Cs4, E4, G4}},
    /* Bm */ {B2, Fs3, {B3, D4, Fs4, 0}},
    /* Em */ {E2, B2, {B3, E4, G4, 0}},
};

// One chord per half bar.
const ChordName kHarmony[kBars][2] = {
    {ChordD, ChordD},   {ChordA7, ChordA7}, {ChordD, ChordD},   {ChordG, ChordG},   {ChordA7, ChordA7},
    {ChordD, ChordD},   {ChordG, ChordG},   {ChordD, ChordD},   {ChordEm, ChordEm}, {ChordA7, ChordA7},
    {ChordD, ChordD},   {ChordG, ChordG},   {ChordA7, ChordA7}, {ChordD, ChordD},   {ChordBm, ChordBm},
    {ChordG, ChordA7},  {ChordD, ChordD},   {ChordD, ChordD},
};

enum BarStyle : uint8_t { Intro, Groove, Clapping, Drive, Ending, kStyleCount };

const BarStyle kBarStyles[kBars] = {
    Intro, Intro, Groove, Groove, Groove, Groove, Clapping, Clapping, Clapping,
    Clapping, Groove, Groove, Groove, Drive, Drive, Drive, Drive, Ending,
};

// Bars (1-based) that open a section with a cymbal crash.
const int kCrashBars[] = {3, 7, 11, 14, 18};

enum BassDegree : uint8_t { Root, Fifth, Octave };

struct PatternHit {
    uint8_t step;  // sixteenth within the bar
    uint8_t sixteenths;
    uint8_t what;  // BassDegree for the bass, a drum key for the drums
    uint8_t velocity;
};

constexpr int kMaxHits = 24;

struct Pattern {
    int count;
    PatternHit hits[kMaxHits];
};

// 3+3+2 in eighths, against the straight beat of the drums.
const Pattern kBassPatterns[kStyleCount] = {
    /* Intro    */ {4, {{0, 5, Root, 100}, {6, 5, Fifth, 88}, {12, 2, Octave, 84}, {14, 2, Fifth, 80}}},
    /* Groove   */ {4, {{0, 5, Root, 100}, {6, 5, Fifth, 88}, {12, 2, Octave, 84}, {14, 2, Fifth, 80}}},
    /* Clapping */ {4, {{0, 5, Root, 100}, {6, 5, Fifth, 88}, {12, 2, Octave, 84}, {14, 2, Fifth, 80}}},
    /* Drive    */ {6, {{0, 3, Root, 104}, {3, 3, Octave, 86}, {6, 2, Fifth, 90},
                       {8, 3, Root, 100}, {11, 3, Octave, 86}, {14, 2, Fifth, 90}}},
    /* Ending   */ {1, {{0, 12, Root, 110}}},
};

enum Drum : uint8_t {
    Kick = 36, Clap = 39, ClosedHat = 42, OpenHat = 46, Crash = 49, Tambourine = 54,
};

const Pattern kDrumPatterns[kStyleCount] = {
    /* Intro */ {10, {{0, 1, Kick, 110}, {8, 1, Kick, 100}, {4, 1, Clap, 96}, {12, 1, Clap, 96},
                      {2, 1, Tambourine, 70}, {6, 1, Tambourine, 70}, {10, 1, Tambourine, 70},
                      {14, 1, Tambourine, 76}, {13, 1, Clap, 60}, {15, 1, Clap, 72}}},
    /* Groove */ {13, {{0, 1, Kick, 112}, {6, 1, Kick, 84}, {8, 1, Kick, 104}, {4, 1, Clap, 100},
                       {12, 1, Clap, 100}, {2, 1, Tambourine, 72}, {6, 1, Tambourine, 72},
                       {10, 1, Tambourine, 72}, {14, 1, Tambourine, 80}, {0, 1, ClosedHat, 56},
                       {4, 1, ClosedHat, 50}, {8, 1, ClosedHat, 56}, {12, 1, ClosedHat, 50}}},
    /* Clapping: everyone claps every beat */
    {11, {{0, 1, Kick, 112}, {8, 1, Kick, 104}, {0, 1, Clap, 108}, {4, 1, Clap, 112}, {8, 1, Clap, 108},
          {12, 1, Clap, 112}, {14, 1, Clap, 84}, {2, 1, Tambourine, 72}, {6, 1, Tambourine, 72},
          {10, 1, Tambourine, 72}, {14, 1, Tambourine, 80}}},
    /* Drive */ {16, {{0, 1, Kick, 116}, {6, 1, Kick, 92}, {8, 1, Kick, 110}, {14, 1, Kick, 88},
                      {4, 1, Clap, 108}, {12, 1, Clap, 108}, {15, 1, Clap, 80}, {0, 1, Tambourine, 64},
                      {2, 1, OpenHat, 70}, {4, 1, Tambourine, 64}, {6, 1, OpenHat, 70},
                      {8, 1, Tambourine, 64}, {10, 1, OpenHat, 70}, {12, 1, Tambourine, 64},
                      {14, 1, OpenHat, 74}, {11, 1, Clap, 70}}},
    /* Ending */ {2, {{0, 1, Kick, 120}, {0, 1, Clap, 116}}},
};

// Chords fall on the "and" of every beat.
const Pattern kChordPatterns[kStyleCount] = {
    /* Intro    */ {4, {{2, 2, 0, 66}, {6, 2, 0, 62}, {10, 2, 0, 66}, {14, 2, 0, 62}}},
    /* Groove   */ {4, {{2, 2, 0, 68}, {6, 2, 0, 64}, {10, 2, 0, 68}, {14, 2, 0, 64}}},
    /* Clapping */ {4, {{2, 2, 0, 70}, {6, 2, 0, 66}, {10, 2, 0, 70}, {14, 2, 0, 66}}},
    /* Drive    */ {5, {{2, 2, 0, 74}, {6, 2, 0, 70}, {10, 2, 0, 74}, {14, 1, 0, 70}, {15, 1, 0, 76}}},
    /* Ending   */ {1, {{0, 12, 0, 84}}},
};

constexpr uint8_t kMelodyChannel = 0;
constexpr uint8_t kChordChannel = 1;
constexpr uint8_t kBassChannel = 2;
constexpr uint8_t kDrumChannel = 9;

uint32_t TickOf(int bar, int step) {
    return static_cast<uint32_t>(bar * kSixteenthsPerBar + step) * kTicksPerSixteenth;
}

// Notes are released a little early so repeated keys stay distinct.
uint32_t Sounding(int sixteenths) {
    return static_cast<uint32_t>(sixteenths) * kTicksPerSixteenth - kTicksPerSixteenth / 6;
}

const Chord& ChordAt(int bar, int step) {
    return kChords[kHarmony[bar][step < kSixteenthsPerBar / 2 ? 0 : 1]];
}

uint8_t MelodyVelocity(int position, int sixteenths) {
    if (sixteenths == 1) return 84;
    return position % 4 == 0 ? 104 : 92;
}

smf::Track MelodyTrack() {
    smf::Track track{"melody (clarinet)", true, {kMelodyChannel, 71, 110, 64}, {}};
    int position = 0;
    for (const MelodyNote& note : kMelody) {
        if (note.key != Rest) {
            track.notes.push_back({static_cast<uint32_t>(position) * kTicksPerSixteenth, Sounding(note.sixteenths),
                                   kMelodyChannel, note.key, MelodyVelocity(position, note.sixteenths)});
        }
        position += note.sixteenths;
    }
    return track;
}

smf::Track ChordTrack() {
    smf::Track track{"off-beat chords (accordion)", true, {kChordChannel, 21, 80, 44}, {}};
    for (int bar = 0; bar < kBars; ++bar) {
        const Pattern& pattern = kChordPatterns[kBarStyles[bar]];
        for (int h = 0; h < pattern.count; ++h) {
            const PatternHit& hit = pattern.hits[h];
            for (uint8_t key : ChordAt(bar, hit.step).voicing) {
                if (key == 0) break;
                track.notes.push_back({TickOf(bar, hit.step), Sounding(hit.sixteenths), kChordChannel, key, hit.velocity});
            }
        }
    }
    return track;
}

uint8_t BassKey(const Chord& chord, uint8_t degree) {
    if (degree == Fifth) return chord.fifth;
    if (degree == Octave) return static_cast<uint8_t>(chord.root + 12);
    return chord.root;
}

smf::Track BassTrack() {
    smf::Track track{"bass", true, {kBassChannel, 32, 100, 64}, {}};
    for (int bar = 0; bar < kBars; ++bar) {
        const Pattern& pattern = kBassPatterns[kBarStyles[bar]];
        for (int h = 0; h < pattern.count; ++h) {
            const PatternHit& hit = pattern.hits[h];
            const uint8_t key = BassKey(ChordAt(bar, hit.step), hit.what);
            track.notes.push_back({TickOf(bar, hit.step), Sounding(hit.sixteenths), kBassChannel, key, hit.velocity});
        }
    }
    return track;
}

bool OpensSection(int bar) {
    for (int crashBar : kCrashBars) {
        if (crashBar == bar + 1) return true;
    }
    return false;
}

smf::Track DrumTrack() {
    smf::Track track{"clapping and drums", true, {kDrumChannel, 0, 96, 76}, {}};
    for (int bar = 0; bar < kBars; ++bar) {
        if (OpensSection(bar)) track.notes.push_back({TickOf(bar, 0), Sounding(1), kDrumChannel, Crash, 100});
        const Pattern& pattern = kDrumPatterns[kBarStyles[bar]];
        for (int h = 0; h < pattern.count; ++h) {
            const PatternHit& hit = pattern.hits[h];
            track.notes.push_back({TickOf(bar, hit.step), Sounding(hit.sixteenths), kDrumChannel, hit.what, hit.velocity});
        }
    }
    return track;
}

}  // namespace

int MelodyLengthInSixteenths() {
    int total = 0;
    for (const MelodyNote& note : kMelody) total += note.sixteenths;
    return total;
}

std::vector<smf::Track> BuildTracks() {
    return {MelodyTrack(), ChordTrack(), BassTrack(), DrumTrack()};
}

std::vector<uint8_t> BuildFile() {
    const smf::Conductor conductor{"mayimmayim: tornelo ring dance", 60000000u / kTempoBpm, 4, 2, 2, false};
    return smf::WriteFormat1(conductor, BuildTracks(), kTicksPerQuarter, TickOf(kBars, 0));
}

}  // namespace tune
