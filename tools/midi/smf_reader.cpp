#include "smf.h"

#include <cstdio>
#include <cstring>

namespace smf {
namespace {

// Reads big-endian fields and variable-length numbers without ever
// stepping past `end`; any overrun sets `failed`.
struct Cursor {
    const uint8_t* at;
    const uint8_t* end;
    bool failed;

    size_t Left() const { return static_cast<size_t>(end - at); }

    uint8_t Byte() {
        if (at >= end) {
            failed = true;
            return 0;
        }
        return *at++;
    }

    uint32_t BigEndian(int bytes) {
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) value = (value << 8) | Byte();
        return value;
    }

    uint32_t VariableLength() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const uint8_t byte = Byte();
            value = (value << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) return value;
        }
        failed = true;  // longer than the four bytes a file may use
        return value;
    }

    void Skip(uint32_t count) {
        if (count > Left()) {
            failed = true;
            at = end;
            return;
        }
        at += count;
    }

    bool Tag(const char* expected) {
        if (Left() < 4 || std::memcmp(at, expected, 4) != 0) return false;
        at += 4;
        return true;
    }
};

bool Fail(FileSummary& summary, const char* why) {
    summary.valid = false;
    std::snprintf(summary.error, sizeof summary.error, "%s", why);
    return false;
}

int DataBytesOf(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

void ReadMeta(Cursor& track, FileSummary& summary, bool& ended) {
    const uint8_t type = track.Byte();
    const uint32_t length = track.VariableLength();
    if (type == 0x2F) ended = true;
    if (type == 0x51 && length == 3 && track.Left() >= 3 && summary.microsecondsPerQuarter == 0) {
        summary.microsecondsPerQuarter = track.BigEndian(3);
        return;
    }
    track.Skip(length);
}

bool ReadTrack(Cursor track, FileSummary& summary) {
    uint32_t tick = 0;
    uint8_t runningStatus = 0;
    bool ended = false;
    while (!ended && !track.failed && track.Left() > 0) {
        const uint32_t delta = track.VariableLength();
        if (delta > UINT32_MAX - tick) return Fail(summary, "track longer than 2^32 ticks");
        tick += delta;
        uint8_t status = track.Byte();
        if (status == 0xFF) {
            ReadMeta(track, summary, ended);
        } else if (status == 0xF0 || status == 0xF7) {
            track.Skip(track.VariableLength());
        } else {
            if (status & 0x80) {
                runningStatus = status;
                track.Byte();  // first data byte: key, controller or program
            } else if (runningStatus == 0) {
                return Fail(summary, "data byte without a status");
            } else {
                status = runningStatus;  // the byte just read was the first data byte
            }
            const uint8_t second = DataBytesOf(status) == 2 ? track.Byte() : 0;
            if ((status & 0xF0) == 0x90 && second > 0) ++summary.noteOnsPerChannel[status & 0x0F];
        }
        if (tick > summary.lastTick) summary.lastTick = tick;
    }
    if (track.failed) return Fail(summary, "track ends inside an event");
    if (!ended) return Fail(summary, "track has no End of Track");
    return true;
}

}  // namespace

FileSummary ReadSummary(const uint8_t* data, size_t size) {
    FileSummary summary{};
    Cursor file{data, data + size, false};
    if (!file.Tag("MThd")) {
        Fail(summary, "no MThd");
        return summary;
    }
    const uint32_t headerLength = file.BigEndian(4);
    if (headerLength < 6 || file.Left() < headerLength) {
        Fail(summary, "short MThd");
        return summary;
    }
    summary.format = static_cast<uint16_t>(file.BigEndian(2));
    summary.declaredTracks = static_cast<uint16_t>(file.BigEndian(2));
    const uint16_t division = static_cast<uint16_t>(file.BigEndian(2));
    file.Skip(headerLength - 6);
    summary.divisionIsPpqn = (division & 0x8000) == 0;
    summary.ticksPerQuarter = summary.divisionIsPpqn ? division : 0;
    summary.valid = true;

    while (summary.tracksRead < summary.declaredTracks) {
        if (!file.Tag("MTrk")) {
            Fail(summary, "missing MTrk");
            return summary;
        }
        const uint32_t length = file.BigEndian(4);
        if (file.failed || length > file.Left()) {
            Fail(summary, "MTrk longer than the file");
            return summary;
        }
        if (!ReadTrack(Cursor{file.at, file.at + length, false}, summary)) return summary;
        file.Skip(length);
        ++summary.tracksRead;
    }
    if (summary.microsecondsPerQuarter == 0) summary.microsecondsPerQuarter = 500000;
    return summary;
}

double LengthInSixteenths(const FileSummary& summary) {
    if (!summary.divisionIsPpqn || summary.ticksPerQuarter == 0) return 0.0;
    return static_cast<double>(summary.lastTick) * 4.0 / summary.ticksPerQuarter;
}

}  // namespace smf
