#include "media/engines/FluidSynthSong.h"

#include "media/engines/FluidSynthLibrary.h"

#include <algorithm>

namespace velmoa {
namespace {

constexpr int kKindMask = 0xf0;
constexpr int kChannelMask = 0x0f;
constexpr int kNoteOff = 0x80;
constexpr int kNoteOn = 0x90;
constexpr int kKeyPressure = 0xa0;
constexpr int kControlChange = 0xb0;
constexpr int kProgramChange = 0xc0;
constexpr int kChannelPressure = 0xd0;
constexpr int kPitchBend = 0xe0;
constexpr int kDataBits = 7;
constexpr int kAllChannels = -1;

} // namespace

std::unique_ptr<MidiSequencer> FluidSynthSong::play(std::unique_ptr<MidiSequencer> sequencer) {
    releaseNotes_ = !sequencer;
    framesLeftInBlock_ = 0;
    std::swap(sequencer_, sequencer);
    return sequencer;
}

void FluidSynthSong::render(float* left, float* right, int frames) {
    const FluidSynthLibrary& fluid = *FluidSynthLibrary::get();
    if (releaseNotes_) {
        fluid.synth_all_notes_off(synth_, kAllChannels);
        releaseNotes_ = false;
    }
    while (frames > 0) {
        if (framesLeftInBlock_ == 0) {
            framesLeftInBlock_ = MidiSequencer::kBlockFrames;
            if (sequencer_) {
                sequencer_->nextBlock(due_);
                std::for_each(due_.begin(), due_.end(), [this](const MidiMessage& m) { send(m); });
            }
        }
        const int now = std::min(frames, framesLeftInBlock_);
        fluid.synth_write_float(synth_, now, left, 0, 1, right, 0, 1);
        left += now;
        right += now;
        frames -= now;
        framesLeftInBlock_ -= now;
    }
}

void FluidSynthSong::send(const MidiMessage& m) {
    const FluidSynthLibrary& fluid = *FluidSynthLibrary::get();
    switch (m.kind) {
    case MidiMessage::Kind::Reset:
        fluid.synth_system_reset(synth_);
        return;
    case MidiMessage::Kind::SysEx:
        fluid.synth_sysex(synth_, m.sysEx.data(), static_cast<int>(m.sysEx.size()), nullptr, nullptr, nullptr,
                          0);
        return;
    case MidiMessage::Kind::Channel:
        break;
    }
    const int channel = m.status & kChannelMask;
    switch (m.status & kKindMask) {
    case kNoteOff:
        fluid.synth_noteoff(synth_, channel, m.data1);
        break;
    case kNoteOn:
        fluid.synth_noteon(synth_, channel, m.data1, m.data2);
        break;
    case kKeyPressure:
        fluid.synth_key_pressure(synth_, channel, m.data1, m.data2);
        break;
    case kControlChange:
        fluid.synth_cc(synth_, channel, m.data1, m.data2);
        break;
    case kProgramChange:
        fluid.synth_program_change(synth_, channel, m.data1);
        break;
    case kChannelPressure:
        fluid.synth_channel_pressure(synth_, channel, m.data1);
        break;
    case kPitchBend:
        fluid.synth_pitch_bend(synth_, channel, m.data1 | m.data2 << kDataBits);
        break;
    default:
        break;
    }
}

} // namespace velmoa
