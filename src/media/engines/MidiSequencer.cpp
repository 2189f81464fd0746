#include "media/engines/MidiSequencer.h"

#include <algorithm>
#include <array>
#include <limits>

namespace velmoa {
namespace {

constexpr int kChannels = 16;
constexpr int kControllers = 128;
constexpr int kFirstChannelModeController = 120; // sound off, reset, notes off, modes: not settings
constexpr int kKindMask = 0xf0;
constexpr int kChannelMask = 0x0f;
constexpr int kControlChange = 0xb0;
constexpr int kProgramChange = 0xc0;
constexpr int kChannelPressure = 0xd0;
constexpr int kPitchBend = 0xe0;
constexpr int kSysExStart = 0xf0;
// A channel's settings: its controllers, then program, pressure and bend.
constexpr int kProgramSlot = kControllers;
constexpr int kPressureSlot = kControllers + 1;
constexpr int kBendSlot = kControllers + 2;
constexpr int kSlots = kControllers + 3;
constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

int settingSlot(const MidiEvent& event) {
    switch (event.status & kKindMask) {
    case kControlChange:
        return event.data1 < kFirstChannelModeController ? event.data1 : -1;
    case kProgramChange:
        return kProgramSlot;
    case kChannelPressure:
        return kPressureSlot;
    case kPitchBend:
        return kBendSlot;
    default:
        return -1;
    }
}

} // namespace

MidiSequencer::MidiSequencer(std::shared_ptr<const MidiFile> song, std::int64_t startTick, int sampleRate)
    : song_(std::move(song)), sampleRate_(sampleRate) {
    startTick = std::clamp<std::int64_t>(startTick, 0, song_->totalTicks());
    startMilliseconds_ = song_->millisecondsAt(startTick);
    MidiMessage reset;
    reset.kind = MidiMessage::Kind::Reset;
    chase_.push_back(reset);
    chaseSettingsBefore(startTick);
}

void MidiSequencer::chaseSettingsBefore(std::int64_t tick) {
    const std::vector<MidiEvent>& events = song_->events();
    next_ = static_cast<std::size_t>(
        std::lower_bound(events.begin(), events.end(), tick,
                         [](const MidiEvent& e, std::int64_t t) { return e.tick < t; }) -
        events.begin());
    // The last of each setting before the start, sent in the song's order (a parameter number is
    // chosen before its value is entered).
    std::vector<std::array<std::size_t, kSlots>> last(kChannels);
    for (auto& channel : last) {
        channel.fill(kNone);
    }
    for (std::size_t i = 0; i < next_; ++i) {
        const int slot = settingSlot(events[i]);
        if (slot >= 0) {
            last[events[i].status & kChannelMask][static_cast<std::size_t>(slot)] = i;
        }
    }
    std::vector<std::size_t> kept;
    for (const auto& channel : last) {
        std::copy_if(channel.begin(), channel.end(), std::back_inserter(kept),
                     [](std::size_t i) { return i != kNone; });
    }
    std::sort(kept.begin(), kept.end());
    for (std::size_t i : kept) {
        chase_.push_back(messageOf(events[i]));
    }
}

MidiMessage MidiSequencer::messageOf(const MidiEvent& event) const {
    MidiMessage message;
    message.status = event.status;
    message.data1 = event.data1;
    message.data2 = event.data2;
    if (event.status == kSysExStart) {
        message.kind = MidiMessage::Kind::SysEx;
        message.sysEx = song_->sysEx(event);
    }
    return message;
}

int MidiSequencer::costOf(const MidiMessage& message) {
    return message.kind == MidiMessage::Kind::Channel ? 1 : kHeavyMessageCost;
}

void MidiSequencer::nextBlock(std::vector<MidiMessage>& out) {
    out.clear();
    if (finished()) {
        return;
    }
    int budget = kBudgetPerBlock;
    for (; chaseAt_ < chase_.size() && costOf(chase_[chaseAt_]) <= budget; ++chaseAt_) {
        budget -= costOf(chase_[chaseAt_]);
        out.push_back(chase_[chaseAt_]);
    }
    if (chaseAt_ == chase_.size()) {
        const std::vector<MidiEvent>& events = song_->events();
        const std::int64_t due = song_->tickAt(clockMilliseconds(blocks_ + 1));
        for (; next_ < events.size() && events[next_].tick <= due; ++next_) {
            const MidiMessage message = messageOf(events[next_]);
            if (costOf(message) > budget) {
                break;
            }
            budget -= costOf(message);
            out.push_back(message);
        }
    }
    ++blocks_;
}

double MidiSequencer::clockMilliseconds(std::int64_t blocks) const {
    return startMilliseconds_ + static_cast<double>(blocks) * kBlockFrames * 1000.0 / sampleRate_;
}

double MidiSequencer::milliseconds() const {
    return std::min(clockMilliseconds(blocks_), song_->lengthMilliseconds());
}

std::int64_t MidiSequencer::tick() const {
    return song_->tickAt(milliseconds());
}

bool MidiSequencer::finished() const {
    return clockMilliseconds(blocks_) >= song_->lengthMilliseconds();
}

} // namespace velmoa
