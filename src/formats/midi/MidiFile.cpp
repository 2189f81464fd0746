#include "formats/midi/MidiFile.h"

#include "base/Failure.h"

#include <algorithm>
#include <cmath>
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

class TrackReader {
  public:
    explicit TrackReader(std::string_view track) : t_(track) {}

    // Walks every event; returns the tick at the track's end and collects tempo changes.
    std::int64_t read(std::vector<TempoChange>& tempo) {
        std::int64_t tick = 0;
        int running = 0;
        while (at_ < t_.size()) {
            tick += variableLength();
            const int first = byte();
            int status = first;
            if (first < 0x80) {
                if (!running) {
                    damaged();
                }
                status = running;
                --at_; // the byte was data
            }
            if (status == 0xff) {
                const int type = byte();
                const std::uint32_t length = variableLength();
                need(length);
                if (type == 0x51 && length == 3) {
                    const std::uint32_t tempoValue = bigEndian(t_, at_, 3);
                    tempo.push_back({tick, tempoValue ? tempoValue : kDefaultTempo});
                }
                at_ += length;
                if (type == 0x2f) {
                    return tick;
                }
                running = 0;
            } else if (status == 0xf0 || status == 0xf7) {
                const std::uint32_t length = variableLength();
                need(length);
                at_ += length;
                running = 0;
            } else if (status >= 0xf1) {
                damaged();
            } else {
                const int kind = status & 0xf0;
                need(kind == 0xc0 || kind == 0xd0 ? 1 : 2);
                at_ += kind == 0xc0 || kind == 0xd0 ? 1 : 2;
                running = status;
            }
        }
        // A track without its end marker ends with its last event.
        return tick;
    }

  private:
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
            value = value << 7 | (b & 0x7f);
            if (!(b & 0x80)) {
                return value;
            }
        }
        damaged();
    }

    std::string_view t_;
    size_t at_ = 0;
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

    std::vector<TempoChange> changes;
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
            std::vector<TempoChange> trackTempo;
            const std::int64_t end = TrackReader(bytes.substr(at + 8, length)).read(trackTempo);
            file.totalTicks_ = std::max(file.totalTicks_, end);
            // Tempo changes of every track make one map, as the synthesizer's player applies them.
            changes.insert(changes.end(), trackTempo.begin(), trackTempo.end());
        }
        at += 8 + length;
    }
    if (tracksFound == 0) {
        damaged();
    }

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
        file.tempo_.push_back({0, 0.0, kDefaultTempo / 1000.0 / quarter});
        for (const TempoChange& change : changes) {
            const TempoSegment& last = file.tempo_.back();
            const double ms = last.msAtTick + (change.tick - last.tick) * last.msPerTick;
            const double perTick = change.microsPerQuarter / 1000.0 / quarter;
            if (change.tick == last.tick) {
                file.tempo_.back().msPerTick = perTick;
            } else {
                file.tempo_.push_back({change.tick, ms, perTick});
            }
        }
    }
    file.smf_ = std::string(bytes);
    return file;
}

double MidiFile::millisecondsAt(std::int64_t tick) const {
    tick = std::max<std::int64_t>(tick, 0);
    auto segment = std::upper_bound(tempo_.begin(), tempo_.end(), tick,
                                    [](std::int64_t t, const TempoSegment& s) { return t < s.tick; });
    const TempoSegment& s = *std::prev(segment);
    return s.msAtTick + (tick - s.tick) * s.msPerTick;
}

std::int64_t MidiFile::tickAt(double milliseconds) const {
    milliseconds = std::max(milliseconds, 0.0);
    auto segment = std::upper_bound(tempo_.begin(), tempo_.end(), milliseconds,
                                    [](double ms, const TempoSegment& s) { return ms < s.msAtTick; });
    const TempoSegment& s = *std::prev(segment);
    const double ticks = s.tick + (milliseconds - s.msAtTick) / s.msPerTick;
    return std::clamp<std::int64_t>(static_cast<std::int64_t>(std::llround(ticks)), 0, totalTicks_);
}

} // namespace velmoa
