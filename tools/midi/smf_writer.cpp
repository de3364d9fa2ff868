#include "smf.h"

#include <algorithm>
#include <cstring>

namespace smf {
namespace {

struct TimedMessage {
    uint32_t tick;
    int order;  // at one tick: setup first, then note-offs, then note-ons
    uint8_t bytes[3];
};

void PutU16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value & 0xFF));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>((value >> shift) & 0xFF));
}

void PutVariableLength(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0 && count < 5);
    while (count > 1) out.push_back(static_cast<uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

void PutMeta(std::vector<uint8_t>& out, uint32_t delta, uint8_t type, const uint8_t* data, uint32_t length) {
    PutVariableLength(out, delta);
    out.push_back(0xFF);
    out.push_back(type);
    PutVariableLength(out, length);
    for (uint32_t i = 0; i < length; ++i) out.push_back(data[i]);
}

void PutText(std::vector<uint8_t>& out, uint8_t type, const char* text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    PutMeta(out, 0, type, bytes, static_cast<uint32_t>(std::strlen(text)));
}

void PutChunk(std::vector<uint8_t>& file, const char* tag, const std::vector<uint8_t>& body) {
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(tag[i]));
    PutU32(file, static_cast<uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
}

std::vector<uint8_t> ConductorBody(const Conductor& conductor, uint32_t endTick) {
    std::vector<uint8_t> body;
    PutText(body, 0x03, conductor.title);
    const uint8_t timeSignature[4] = {conductor.beatsPerBar, conductor.beatUnitLog2, 24, 8};
    PutMeta(body, 0, 0x58, timeSignature, 4);
    const uint8_t key[2] = {static_cast<uint8_t>(conductor.keySharps), static_cast<uint8_t>(conductor.keyIsMinor ? 1 : 0)};
    PutMeta(body, 0, 0x59, key, 2);
    const uint32_t tempo = conductor.microsecondsPerQuarter;
    const uint8_t tempoBytes[3] = {static_cast<uint8_t>(tempo >> 16), static_cast<uint8_t>(tempo >> 8),
                                   static_cast<uint8_t>(tempo)};
    PutMeta(body, 0, 0x51, tempoBytes, 3);
    PutMeta(body, endTick, 0x2F, nullptr, 0);
    return body;
}

std::vector<TimedMessage> TrackMessages(const Track& track) {
    std::vector<TimedMessage> messages;
    if (track.hasSetup) {
        const uint8_t channel = track.setup.channel & 0x0F;
        messages.push_back({0, 0, {static_cast<uint8_t>(0xC0 | channel), track.setup.program, 0}});
        messages.push_back({0, 1, {static_cast<uint8_t>(0xB0 | channel), 7, track.setup.volume}});
        messages.push_back({0, 2, {static_cast<uint8_t>(0xB0 | channel), 10, track.setup.pan}});
    }
    for (const NoteEvent& note : track.notes) {
        const uint8_t channel = note.channel & 0x0F;
        messages.push_back({note.startTick, 4, {static_cast<uint8_t>(0x90 | channel), note.key, note.velocity}});
        messages.push_back({note.startTick + note.lengthTicks, 3, {static_cast<uint8_t>(0x80 | channel), note.key, 64}});
    }
    std::stable_sort(messages.begin(), messages.end(), [](const TimedMessage& a, const TimedMessage& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    return messages;
}

std::vector<uint8_t> TrackBody(const Track& track, uint32_t endTick) {
    std::vector<uint8_t> body;
    PutText(body, 0x03, track.name);
    uint32_t now = 0;
    for (const TimedMessage& message : TrackMessages(track)) {
        PutVariableLength(body, message.tick - now);
        now = message.tick;
        const int length = (message.bytes[0] & 0xF0) == 0xC0 ? 2 : 3;
        for (int i = 0; i < length; ++i) body.push_back(message.bytes[i]);
    }
    PutMeta(body, endTick > now ? endTick - now : 0, 0x2F, nullptr, 0);
    return body;
}

}  // namespace

std::vector<uint8_t> WriteFormat1(const Conductor& conductor, const std::vector<Track>& tracks,
                                  uint16_t ticksPerQuarter, uint32_t endTick) {
    std::vector<uint8_t> header;
    PutU16(header, 1);
    PutU16(header, static_cast<uint16_t>(tracks.size() + 1));
    PutU16(header, static_cast<uint16_t>(ticksPerQuarter & 0x7FFF));

    std::vector<uint8_t> file;
    PutChunk(file, "MThd", header);
    PutChunk(file, "MTrk", ConductorBody(conductor, endTick));
    for (const Track& track : tracks) PutChunk(file, "MTrk", TrackBody(track, endTick));
    return file;
}

}  // namespace smf
