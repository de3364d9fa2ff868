// midi-gen OUTFILE: writes tornelo's dance tune as a standard MIDI file.
#include <cstdio>

#include "tune.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: midi-gen OUTFILE\n");
        return 2;
    }
    if (tune::MelodyLengthInSixteenths() != tune::kLengthInSixteenths) {
        std::fprintf(stderr, "midi-gen: the melody is %d sixteenths long, the tune %d\n",
                     tune::MelodyLengthInSixteenths(), tune::kLengthInSixteenths);
        return 1;
    }
    const std::vector<uint8_t> file = tune::BuildFile();
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    const size_t written = std::fwrite(file.data(), 1, file.size(), out);
    const bool closed = std::fclose(out) == 0;
    if (written != file.size() || !closed) {
        std::fprintf(stderr, "midi-gen: could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
