#pragma once

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
