#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velmoa::testing {

// Bytes of MIDI files for tests.
inline std::string be(unsigned value, int count) {
    std::string out;
    for (int i = count - 1; i >= 0; --i) {
        out += static_cast<char>((value >> (8 * i)) & 0xff);
    }
    return out;
}

inline std::string vlq(unsigned value) {
    std::string out(1, static_cast<char>(value & 0x7f));
    while (value >>= 7) {
        out.insert(out.begin(), static_cast<char>(0x80 | (value & 0x7f)));
    }
    return out;
}

inline std::string chunk(const std::string& id, const std::string& body) {
    return id + be(static_cast<unsigned>(body.size()), 4) + body;
}

inline std::string tempoEvent(unsigned delta, unsigned microsPerQuarter) {
    return vlq(delta) + "\xff\x51\x03" + be(microsPerQuarter, 3);
}

inline std::string noteEvents(unsigned delta, unsigned length) {
    return vlq(delta) + "\x90\x3c\x64" + vlq(length) + std::string("\x3c\x00", 2); // running status
}

inline std::string endOfTrack(unsigned delta = 0) {
    return vlq(delta) + std::string("\xff\x2f\x00", 3);
}

inline std::string smf(int format, unsigned division, const std::vector<std::string>& tracks) {
    std::string out =
        chunk("MThd", be(format, 2) + be(static_cast<unsigned>(tracks.size()), 2) + be(division, 2));
    for (const std::string& track : tracks) {
        out += chunk("MTrk", track);
    }
    return out;
}

// Songs of the hostile shapes that once crashed playback; each is a single track at 480 ticks a
// quarter.

// (held: how long the note after a flood sounds, in ticks.)

// A program change, then count more on the same tick by running status (two bytes each).
inline std::string programChangeFlood(unsigned count, bool alternating = false, unsigned held = 480) {
    std::string track = vlq(0) + "\xc0\x05";
    for (unsigned i = 0; i < count; ++i) {
        track += std::string(1, '\0') + static_cast<char>(alternating ? 5 + i % 2 : 5);
    }
    return smf(0, 480, {track + noteEvents(0, held) + endOfTrack()});
}

// General MIDI and GS resets, alternately, count of them on one tick.
inline std::string resetFlood(unsigned count, unsigned held = 480) {
    const std::string gm("\x7e\x7f\x09\x01\xf7", 5);
    const std::string gs("\x41\x10\x42\x12\x40\x00\x7f\x00\x41\xf7", 10);
    std::string track;
    for (unsigned i = 0; i < count; ++i) {
        const std::string& reset = i % 2 ? gm : gs;
        track += vlq(0) + "\xf0" + vlq(static_cast<unsigned>(reset.size())) + reset;
    }
    return smf(0, 480, {track + noteEvents(0, held) + endOfTrack()});
}

// count notes struck on tick 0 over every key and channel.
inline std::string notesOnOneTick(unsigned count, unsigned held = 480) {
    std::string track;
    for (unsigned i = 0; i < count; ++i) {
        track += vlq(0) + static_cast<char>(0x90 | i % 16) + static_cast<char>(i / 16 % 128) + "\x64";
    }
    return smf(0, 480, {track + noteEvents(0, held) + endOfTrack()});
}

// A tempo change on every tick, about bytes long.
inline std::string tempoAtEveryTick(std::size_t bytes) {
    const std::string change = tempoEvent(1, 400000);
    std::string track;
    track.reserve(bytes + change.size());
    while (track.size() < bytes) {
        track += change;
    }
    return smf(0, 480, {track + endOfTrack()});
}

// count controller changes, each the largest delta time after the one before.
inline std::string largestDeltas(unsigned count) {
    std::string track;
    for (unsigned i = 0; i < count; ++i) {
        track += vlq(0x0fffffff) + "\xb0\x07" + static_cast<char>(i % 128);
    }
    return smf(0, 480, {track + endOfTrack()});
}

inline std::string rmid(const std::string& smfBytes) {
    auto le = [](unsigned v) {
        std::string out;
        for (int i = 0; i < 4; ++i) {
            out += static_cast<char>((v >> (8 * i)) & 0xff);
        }
        return out;
    };
    std::string body = "RMID";
    body += "data" + le(static_cast<unsigned>(smfBytes.size())) + smfBytes;
    if (smfBytes.size() & 1) {
        body += '\0';
    }
    return "RIFF" + le(static_cast<unsigned>(body.size())) + body;
}

} // namespace velmoa::testing
