// A minimal standard MIDI file model: what the tune generator writes and
// what the tests and the simulator read back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace smf {

constexpr int kChannelCount = 16;

struct NoteEvent {
    uint32_t startTick;
    uint32_t lengthTicks;
    uint8_t channel;  // 0-based: channel 10 is 9
    uint8_t key;
    uint8_t velocity;
};

struct ChannelSetup {
    uint8_t channel;
    uint8_t program;  // General MIDI program, 0-based
    uint8_t volume;
    uint8_t pan;
};

struct Track {
    const char* name;
    bool hasSetup;
    ChannelSetup setup;
    std::vector<NoteEvent> notes;
};

struct Conductor {
    const char* title;
    uint32_t microsecondsPerQuarter;
    uint8_t beatsPerBar;
    uint8_t beatUnitLog2;  // 2: quarter notes
    int8_t keySharps;      // negative: flats
    bool keyIsMinor;
};

// A format 1 file: the conductor track first, then one track per part;
// every track ends at endTick.
std::vector<uint8_t> WriteFormat1(const Conductor& conductor, const std::vector<Track>& tracks,
                                  uint16_t ticksPerQuarter, uint32_t endTick);

struct FileSummary {
    bool valid;
    uint16_t format;
    uint16_t declaredTracks;
    uint16_t tracksRead;
    bool divisionIsPpqn;
    uint16_t ticksPerQuarter;
    uint32_t lastTick;  // the latest event of any track, End of Track included
    uint32_t noteOnsPerChannel[kChannelCount];
    uint32_t microsecondsPerQuarter;  // first tempo event; 500000 when none
    char error[64];
};

FileSummary ReadSummary(const uint8_t* data, size_t size);

// The length in sixteenth notes, rounded down; 0 without a PPQN division.
double LengthInSixteenths(const FileSummary& summary);

}  // namespace smf
