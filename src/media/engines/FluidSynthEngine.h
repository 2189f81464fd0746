#pragma once

#include "formats/midi/MidiFile.h"
#include "media/MediaDevice.h"

#include <QTimer>
#include <atomic>
#include <fluidsynth/types.h>
#include <optional>
#include <string>
#include <thread>

namespace velmoa {

// MIDI files through fluidsynth and a General MIDI sound font. The file is read and checked by us
// (fluidsynth would take a missing or garbage file and fail only while playing), positions come from
// our tempo map, and Stop is tracked here (fluidsynth reports a stop and the end alike).
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
    bool isOpen() const override { return song_.has_value(); }
    bool isPlaying() const override { return player_ != nullptr; }
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
    void startPlayer(std::int64_t tick);
    void endPlayer();
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

    fluid_player_t* player_ = nullptr;
    std::optional<MidiFile> song_;
    std::int64_t tick_ = 0;
    std::optional<std::int64_t> seekTarget_;
    QTimer endCheck_;
    std::function<void()> ended_;
};

} // namespace velmoa
