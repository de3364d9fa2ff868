// The dance tune of tornelo: an original circle-dance piece in D major,
// 18 bars of 4/4, laid out so that each section of the ring dance has
// its own music (see the section table in tune.cpp).
#pragma once

#include <cstdint>
#include <vector>

#include "smf.h"

namespace tune {

constexpr uint16_t kTicksPerQuarter = 480;
constexpr uint32_t kTicksPerSixteenth = kTicksPerQuarter / 4;
constexpr int kSixteenthsPerBar = 16;
constexpr int kBars = 18;
constexpr int kLengthInSixteenths = kBars * kSixteenthsPerBar;
constexpr int kTempoBpm = 132;

// The parts, one track each, in file order after the conductor track.
std::vector<smf::Track> BuildTracks();

// The whole file as it is committed beside the generator.
std::vector<uint8_t> BuildFile();

// Sum of the melody table's note and rest lengths, in sixteenths; must
// equal kLengthInSixteenths or the melody drifts against the harmony.
int MelodyLengthInSixteenths();

}  // namespace tune
