#include "formats/midi/MidiFile.h"

#include "base/Failure.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace velmoa {
namespace {

constexpr std::uint32_t kDefaultTempo = 500000; // microseconds per quarter note: 120 beats a minute

[[noreturn]] void damaged() {
    throw Failure(MidiFile::kDamagedMessage);
}

std::uint32_t bigEndian(std::string_view bytes, size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

std::uint32_t littleEndian32(std::string_view bytes, size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

// The SMF inside a RIFF RMID file: its "data" chunk.
std::string_view unwrapRmid(std::string_view bytes) {
    if (bytes.size() < 12 || bytes.substr(8, 4) != "RMID") {
        throw Failure(MidiFile::kNotMidiMessage);
    }
    const size_t end = std::min<size_t>(bytes.size(), 8 + std::uint64_t{littleEndian32(bytes, 4)});
    for (size_t at = 12; at + 8 <= end;) {
        const std::uint64_t size = littleEndian32(bytes, at + 4);
        if (at + 8 + size > end) {
            damaged();
        }
        if (bytes.substr(at, 4) == "data") {
            return bytes.substr(at + 8, size);
        }
        at += 8 + size + (size & 1);
    }
    throw Failure(MidiFile::kNotMidiMessage);
}

struct TempoChange {
    std::int64_t tick;
    std::uint32_t microsPerQuarter;
};

constexpr int kStatusBit = 0x80;
constexpr int kMetaEvent = 0xff;
constexpr int kMetaTempo = 0x51;
constexpr int kMetaTempoLength = 3;
constexpr int kMetaEndOfTrack = 0x2f;
constexpr int kSysExStart = 0xf0;
constexpr int kSysExEnd = 0xf7; // also the status of an escaped packet of bytes
constexpr int kFirstSystemCommon = 0xf1;
constexpr int kKindMask = 0xf0;
constexpr int kNoteOff = 0x80;
constexpr int kNoteOn = 0x90;
constexpr int kProgramChange = 0xc0;
constexpr int kChannelPressure = 0xd0;

// What the tracks of a song hold, gathered track by track within the song's limits.
struct SongParts {
    std::vector<MidiEvent> events;
    std::string sysEx;
    std::vector<TempoChange> tempo;
    std::size_t sysExMessages = 0;
};

class TrackReader {
  public:
    TrackReader(std::string_view track, SongParts& parts) : t_(track), parts_(parts) {}

    // Walks every event; returns the tick at the track's end.
    std::int64_t read() {
        std::int64_t tick = 0;
        int running = 0;
        while (at_ < t_.size()) {
            tick += variableLength();
            const int first = byte();
            int status = first;
            if (first < kStatusBit) {
                if (!running) {
                    damaged();
                }
                status = running;
                --at_; // the byte was data
            }
            if (status == kMetaEvent) {
                const int type = byte();
                const std::uint32_t length = variableLength();
                need(length);
                if (type == kMetaTempo && length == kMetaTempoLength) {
                    addTempo(tick, bigEndian(t_, at_, kMetaTempoLength));
                }
                at_ += length;
                if (type == kMetaEndOfTrack) {
                    return tick;
                }
                running = 0;
            } else if (status == kSysExStart || status == kSysExEnd) {
                const std::uint32_t length = variableLength();
                need(length);
                // Escaped packets carry no message of their own for the synthesizer.
                if (status == kSysExStart) {
                    addSysEx(tick, t_.substr(at_, length));
                }
                at_ += length;
                running = 0;
            } else if (status >= kFirstSystemCommon) {
                damaged();
            } else {
                const int kind = status & kKindMask;
                const bool oneByte = kind == kProgramChange || kind == kChannelPressure;
                need(oneByte ? 1 : 2);
                const int data1 = byte();
                const int data2 = oneByte ? 0 : byte();
                addChannelMessage(tick, status, data1, data2);
                running = status;
            }
        }
        // A track without its end marker ends with its last event.
        return tick;
    }

  private:
    void addTempo(std::int64_t tick, std::uint32_t microsPerQuarter) {
        if (parts_.tempo.size() >= MidiFile::kMaxTempoChanges) {
            damaged();
        }
        parts_.tempo.push_back({tick, microsPerQuarter ? microsPerQuarter : kDefaultTempo});
    }

    void addSysEx(std::int64_t tick, std::string_view message) {
        if (!message.empty() && static_cast<unsigned char>(message.back()) == kSysExEnd) {
            message.remove_suffix(1);
        }
        if (message.empty()) {
            return;
        }
        if (++parts_.sysExMessages > MidiFile::kMaxSysExMessages ||
            message.size() > MidiFile::kMaxSysExBytes - parts_.sysEx.size()) {
            damaged();
        }
        MidiEvent event;
        event.tick = tick;
        event.status = kSysExStart;
        event.sysExAt = static_cast<std::uint32_t>(parts_.sysEx.size());
        event.sysExLength = static_cast<std::uint32_t>(message.size());
        parts_.sysEx += message;
        add(event);
    }

    void addChannelMessage(std::int64_t tick, int status, int data1, int data2) {
        MidiEvent event;
        event.tick = tick;
        event.status = static_cast<std::uint8_t>(status);
        event.data1 = static_cast<std::uint8_t>(data1 & ~kStatusBit);
        event.data2 = static_cast<std::uint8_t>(data2 & ~kStatusBit);
        // A setting repeated at the same tick changes nothing: a run of them (running status makes
        // a million cost two bytes each) is kept as one. Repeated notes do sound again.
        const int kind = status & kKindMask;
        if (kind != kNoteOn && kind != kNoteOff && lastChannelMessage_ &&
            sameMessage(parts_.events[*lastChannelMessage_], event)) {
            return;
        }
        lastChannelMessage_ = parts_.events.size();
        add(event);
    }

    static bool sameMessage(const MidiEvent& a, const MidiEvent& b) {
        return a.tick == b.tick && a.status == b.status && a.data1 == b.data1 && a.data2 == b.data2;
    }

    void add(const MidiEvent& event) {
        if (parts_.events.size() >= MidiFile::kMaxEvents) {
            damaged();
        }
        parts_.events.push_back(event);
    }

    int byte() {
        need(1);
        return static_cast<unsigned char>(t_[at_++]);
    }
    void need(size_t count) {
        if (count > t_.size() - at_) {
            damaged();
        }
    }
    std::uint32_t variableLength() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const int b = byte();
            value = value << 7 | (b & ~kStatusBit);
            if (!(b & kStatusBit)) {
                return value;
            }
        }
        damaged();
    }

    std::string_view t_;
    SongParts& parts_;
    size_t at_ = 0;
    std::optional<std::size_t> lastChannelMessage_;
};

} // namespace

MidiFile MidiFile::parse(std::string_view bytes) {
    if (bytes.substr(0, 4) == "RIFF") {
        bytes = unwrapRmid(bytes);
    }
    if (bytes.size() < 14 || bytes.substr(0, 4) != "MThd") {
        throw Failure(kNotMidiMessage);
    }
    const std::uint32_t headerLength = bigEndian(bytes, 4, 4);
    if (headerLength < 6 || headerLength > bytes.size() - 8) {
        damaged();
    }
    const std::uint32_t format = bigEndian(bytes, 8, 2);
    const std::uint32_t trackCount = bigEndian(bytes, 10, 2);
    const std::uint32_t division = bigEndian(bytes, 12, 2);
    if (format > 2 || trackCount == 0 || (division & 0x7fff) == 0) {
        damaged();
    }

    SongParts parts;
    MidiFile file;
    std::uint32_t tracksFound = 0;
    for (size_t at = 8 + headerLength; at + 8 <= bytes.size() && tracksFound < trackCount;) {
        const std::uint64_t length = bigEndian(bytes, at + 4, 4);
        if (length > bytes.size() - at - 8) {
            damaged();
        }
        // Chunks of other kinds are skipped, as the format asks.
        if (bytes.substr(at, 4) == "MTrk") {
            ++tracksFound;
            const std::int64_t end = TrackReader(bytes.substr(at + 8, length), parts).read();
            file.totalTicks_ = std::max(file.totalTicks_, end);
        }
        at += 8 + length;
    }
    if (tracksFound == 0) {
        damaged();
    }

    // Tempo changes of every track make one map, as a player applies them.
    std::vector<TempoChange>& changes = parts.tempo;
    if (division & 0x8000) {
        // Time code: frames a second (29 stands for 29.97) times ticks a frame; tempo plays no part.
        const int frames = -static_cast<std::int8_t>(division >> 8);
        const double fps = frames == 29 ? 29.97 : frames;
        if (fps <= 0 || (division & 0xff) == 0) {
            damaged();
        }
        file.tempo_.push_back({0, 0.0, 1000.0 / (fps * (division & 0xff))});
    } else {
        std::stable_sort(changes.begin(), changes.end(),
                         [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        const double quarter = division;
        file.tempo_.reserve(changes.size() + 1);
        file.tempo_.push_back({0, 0.0, kDefaultTempo / 1000.0 / quarter});
        for (const TempoChange& change : changes) {
            const TempoSegment& last = file.tempo_.back();
            const double ms = last.msAtTick + static_cast<double>(change.tick - last.tick) * last.msPerTick;
            const double perTick = change.microsPerQuarter / 1000.0 / quarter;
            if (change.tick == last.tick) {
                file.tempo_.back().msPerTick = perTick;
            } else {
                file.tempo_.push_back({change.tick, ms, perTick});
            }
        }
    }
    // Tracks sound together: their events by tick, and at one tick in the order of the tracks.
    std::stable_sort(parts.events.begin(), parts.events.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
    parts.events.shrink_to_fit();
    file.events_ = std::move(parts.events);
    file.sysEx_ = std::move(parts.sysEx);
    return file;
}

double MidiFile::millisecondsAt(std::int64_t tick) const {
    tick = std::max<std::int64_t>(tick, 0);
    auto segment = std::upper_bound(tempo_.begin(), tempo_.end(), tick,
                                    [](std::int64_t t, const TempoSegment& s) { return t < s.tick; });
    const TempoSegment& s = *std::prev(segment);
    return s.msAtTick + static_cast<double>(tick - s.tick) * s.msPerTick;
}

std::int64_t MidiFile::tickAt(double milliseconds) const {
    milliseconds = std::max(milliseconds, 0.0);
    auto segment = std::upper_bound(tempo_.begin(), tempo_.end(), milliseconds,
                                    [](double ms, const TempoSegment& s) { return ms < s.msAtTick; });
    const TempoSegment& s = *std::prev(segment);
    const double ticks = static_cast<double>(s.tick) + (milliseconds - s.msAtTick) / s.msPerTick + 0.5;
    // Held to the song before the conversion: a tick past it may be past what an integer holds.
    return static_cast<std::int64_t>(std::clamp(ticks, 0.0, static_cast<double>(totalTicks_)));
}

} // namespace velmoa
