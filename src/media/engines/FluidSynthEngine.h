#pragma once

#include "formats/midi/MidiFile.h"
#include "media/MediaDevice.h"
#include "media/engines/FluidSynthSong.h"

#include <QTimer>
#include <atomic>
#include <fluidsynth/types.h>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace velmoa {

// MIDI files through fluidsynth and a General MIDI sound font. The file is read and checked by us
// (fluidsynth would take a missing or garbage file and fail only while playing), positions come from
// our tempo map. The song is played by our own sequencer on the synthesizer's audio thread (see
// FluidSynthSong), not by fluidsynth's file player: that one reads the file on the audio thread, keeps
// ticks in an int, and sends a tick's messages however many there are.
class FluidSynthEngine : public MediaDevice {
  public:
    enum class Outputs {
        Desktop, // PulseAudio (or PipeWire through it), then ALSA; silent with true timing otherwise
        Silent,
    };
    static constexpr const char* kGeneralMidiSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    explicit FluidSynthEngine(Outputs outputs = Outputs::Desktop,
                              std::string soundFont = kGeneralMidiSoundFont);
    ~FluidSynthEngine() override;

    void setDisplay(QWidget*) override {}
    void setEndNotification(std::function<void()> notify) override { ended_ = std::move(notify); }
    void open(const std::string& path) override;
    void close() override;
    bool isOpen() const override { return song_ != nullptr; }
    bool isPlaying() const override { return isPlaying_; }
    void play() override;
    void stop() override;
    void rewind() override;
    std::int32_t position() override;
    void setPosition(std::int32_t milliseconds) override;
    std::int32_t length() override;
    void setDisplayRect(const QRect&) override {}

  private:
    // Makes the synthesizer, its sound font loaded and its output started, or nothing.
    void ensureSynth();
    void startOutput();
    void releaseSynth();
    // The audio thread's turn: the song's messages and the synthesizer's sound, frames of them.
    void renderAudio(float* left, float* right, int frames);
    static int renderCallback(void* engine, int frames, int effectsCount, float* effects[], int outputCount,
                              float* outputs[]);
    // Hands the audio thread a song to play from tick (none: silence); the old one is released here.
    void playFrom(std::optional<std::int64_t> tick);
    std::int64_t currentTick();
    void checkEnd();
    const MidiFile& song() const;

    Outputs outputs_;
    std::string soundFont_;
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    fluid_audio_driver_t* driver_ = nullptr;
    // Without a sound device the synthesizer is rendered into nothing at the pace of real time.
    std::thread silentRender_;
    std::atomic<bool> rendering_{false};

    // What the audio thread plays; the UI thread hands it songs and reads its clock under the lock.
    std::mutex audio_;
    std::unique_ptr<FluidSynthSong> playing_;
    bool isPlaying_ = false;

    std::shared_ptr<const MidiFile> song_;
    std::int64_t tick_ = 0; // while stopped
    QTimer endCheck_;
    std::function<void()> ended_;
};

} // namespace velmoa
