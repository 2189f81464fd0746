#pragma once

#include "media/engines/MidiSequencer.h"

#include <fluidsynth/types.h>
#include <memory>
#include <vector>

namespace velmoa {

// A song played on a fluidsynth synthesizer: the sequencer's messages are sent and the audio rendered
// in the same thread, block by block, so that nothing reaches the synthesizer while it renders. The
// engine's audio thread and the fuzz target drive it alike; the caller keeps other threads out.
class FluidSynthSong {
  public:
    explicit FluidSynthSong(fluid_synth_t* synth) : synth_(synth) {}

    // The song to play from now on (nullptr: none); returns the one it replaces, for its owner to
    // release outside any lock. Without a new song, the notes still sounding are released.
    std::unique_ptr<MidiSequencer> play(std::unique_ptr<MidiSequencer> sequencer);
    const MidiSequencer* sequencer() const { return sequencer_.get(); }

    // Renders frames of stereo audio, sending what falls due on the way.
    void render(float* left, float* right, int frames);

  private:
    void send(const MidiMessage& message);

    fluid_synth_t* synth_;
    std::unique_ptr<MidiSequencer> sequencer_;
    bool releaseNotes_ = false;
    int framesLeftInBlock_ = 0;
    std::vector<MidiMessage> due_;
};

} // namespace velmoa
