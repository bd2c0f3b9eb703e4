#include "engine/platform/pixels/midi_length.h"

#include <algorithm>
#include <cstdint>
#include <map>

namespace qt::platform {

namespace {

constexpr uint32_t kDefaultTempo = 500000;  // microseconds a quarter note

class Reader {
public:
    Reader(std::string_view d, size_t at, size_t end) : d_(d), at_(at), end_(end) {}
    bool more() const { return at_ < end_; }
    bool byte(uint8_t& b) {
        if (at_ >= end_) return false;
        b = static_cast<uint8_t>(d_[at_++]);
        return true;
    }
    bool variable(uint32_t& v) {
        v = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b;
            if (!byte(b)) return false;
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80)) return true;
        }
        return false;
    }
    bool skip(uint32_t n) {
        if (n > end_ - at_) return false;
        at_ += n;
        return true;
    }
    size_t at() const { return at_; }

private:
    std::string_view d_;
    size_t at_, end_;
};

uint32_t big(std::string_view d, size_t at, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | static_cast<uint8_t>(d[at + size_t(i)]);
    return v;
}

// Walks one track; records its tempo changes and returns its last tick.
// A track that breaks off ends where it breaks off, as a player stops there.
uint64_t walkTrack(Reader r, std::map<uint64_t, uint32_t>& tempos) {
    uint64_t tick = 0;
    uint8_t status = 0;
    while (r.more()) {
        uint32_t delta;
        uint8_t b;
        if (!r.variable(delta) || !r.byte(b)) break;
        tick += delta;
        if (b == 0xFF) {
            uint8_t type;
            uint32_t length;
            if (!r.byte(type) || !r.variable(length)) break;
            if (type == 0x2F) break;  // end of track
            if (type == 0x51 && length == 3) {
                uint8_t t[3];
                if (!r.byte(t[0]) || !r.byte(t[1]) || !r.byte(t[2])) break;
                tempos[tick] = (uint32_t{t[0]} << 16) | (uint32_t{t[1]} << 8) | t[2];
            } else if (!r.skip(length)) {
                break;
            }
        } else if (b == 0xF0 || b == 0xF7) {
            uint32_t length;
            if (!r.variable(length) || !r.skip(length)) break;
        } else {
            uint32_t dataBytes;
            if (b & 0x80) {
                status = b;
                dataBytes = ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 1 : 2;
            } else {  // running status: this byte is the first data byte
                if (status == 0) break;
                dataBytes = ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 0 : 1;
            }
            if (!r.skip(dataBytes)) break;
        }
    }
    return tick;
}

}  // namespace

MidiLength midiLength(std::string_view d) {
    MidiLength out;
    if (d.size() < 4 || d.substr(0, 4) != "MThd") return out;
    out.kind = MidiLength::Kind::broken;
    if (d.size() < 14 || big(d, 4, 4) != 6) return out;
    const uint32_t tracks = big(d, 10, 2), division = big(d, 12, 2);
    if (tracks == 0 || division == 0) return out;
    std::map<uint64_t, uint32_t> tempos;
    uint64_t lastTick = 0;
    size_t at = 14;
    uint32_t found = 0;
    while (found < tracks && d.size() - at >= 8) {
        const uint32_t length = big(d, at + 4, 4);
        const size_t body = at + 8, end = body + std::min<size_t>(length, d.size() - body);
        if (d.substr(at, 4) == "MTrk") {
            lastTick = std::max(lastTick, walkTrack(Reader(d, body, end), tempos));
            ++found;
        }
        at = end;
    }
    if (found == 0) return out;
    out.kind = MidiLength::Kind::ok;
    if (division & 0x8000) {  // frames a second and ticks a frame
        const int fps = -static_cast<int8_t>(division >> 8);
        const uint32_t perFrame = division & 0xFF;
        out.seconds = fps > 0 && perFrame > 0 ? double(lastTick) / (fps * perFrame) : 0;
        return out;
    }
    uint64_t tick = 0;
    uint32_t tempo = kDefaultTempo;
    double micros = 0;
    for (const auto& [at, next] : tempos) {
        if (at >= lastTick) break;
        micros += double(at - tick) * tempo / division;
        tick = at;
        tempo = next;
    }
    out.seconds = (micros + double(lastTick - tick) * tempo / division) / 1e6;
    return out;
}

}  // namespace qt::platform
