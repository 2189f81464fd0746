#include "media/engines/FluidSynthEngine.h"

#include "base/Failure.h"
#include "media/engines/FluidSynthLibrary.h"
#include "media/engines/SoundOutput.h"
#include "platform/ReadOnlyFile.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fluidsynth.h>
#include <system_error>
#include <vector>

namespace velmoa {
namespace {

// MIDI files are small; anything larger is not one worth reading whole.
constexpr std::int64_t kMaxFileBytes = std::int64_t{64} * 1024 * 1024;
constexpr int kSampleRate = 44100;

// Called only once the synthesizer exists, which the library's presence allows.
const FluidSynthLibrary& fluid() {
    return *FluidSynthLibrary::get();
}

std::int32_t toInt32(double milliseconds) {
    const double ms = std::round(milliseconds);
    return ms <= 0 ? 0 : ms >= 2147483647.0 ? 2147483647 : static_cast<std::int32_t>(ms);
}

} // namespace

FluidSynthEngine::FluidSynthEngine(Outputs outputs, std::string soundFont)
    : outputs_(outputs), soundFont_(std::move(soundFont)) {
    endCheck_.setInterval(20);
    QObject::connect(&endCheck_, &QTimer::timeout, [this] { checkEnd(); });
}

FluidSynthEngine::~FluidSynthEngine() {
    releaseSynth();
}

void FluidSynthEngine::releaseSynth() {
    if (driver_) {
        fluid().delete_audio_driver(driver_);
        driver_ = nullptr;
    }
    rendering_ = false;
    if (silentRender_.joinable()) {
        silentRender_.join();
    }
    // No audio thread is left to use the song or the synthesizer.
    playing_.reset();
    isPlaying_ = false;
    if (synth_) {
        fluid().delete_synth(synth_);
        synth_ = nullptr;
    }
    if (settings_) {
        fluid().delete_settings(settings_);
        settings_ = nullptr;
    }
}

void FluidSynthEngine::ensureSynth() {
    if (synth_) {
        return;
    }
    if (!FluidSynthLibrary::get()) {
        throw Failure(kUnknownErrorMessage);
    }
    quietSoundLibraries();
    // fluidsynth's own messages (missing sound servers among them) are not the user's business.
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) {
        fluid().set_log_function(level, nullptr, nullptr);
    }
    // All or nothing: a synthesizer kept without its sound font would open every later file and
    // play it silently.
    settings_ = fluid().new_settings();
    if (settings_) {
        fluid().settings_setnum(settings_, "synth.sample-rate", kSampleRate);
        synth_ = fluid().new_synth(settings_);
    }
    if (!synth_ || fluid().synth_sfload(synth_, soundFont_.c_str(), 1) == FLUID_FAILED) {
        releaseSynth();
        throw Failure(kCannotOpenMessage);
    }
    try {
        startOutput();
    } catch (const std::system_error&) {
        releaseSynth(); // no thread for the silent output
        throw Failure(kCannotOpenMessage);
    }
}

void FluidSynthEngine::startOutput() {
    playing_ = std::make_unique<FluidSynthSong>(synth_);
    if (outputs_ == Outputs::Desktop) {
        for (const std::string& name : fluidSynthDrivers(detectSoundEnvironment())) {
            fluid().settings_setstr(settings_, "audio.driver", name.c_str());
            driver_ = fluid().new_audio_driver2(settings_, &FluidSynthEngine::renderCallback, this);
            if (driver_) {
                return;
            }
        }
    }
    rendering_ = true;
    silentRender_ = std::thread([this] {
        constexpr int frames = 512;
        std::vector<float> left(frames);
        std::vector<float> right(frames);
        const auto period = std::chrono::microseconds(1000000LL * frames / kSampleRate);
        auto next = std::chrono::steady_clock::now();
        while (rendering_) {
            renderAudio(left.data(), right.data(), frames);
            next += period;
            std::this_thread::sleep_until(next);
        }
    });
}

int FluidSynthEngine::renderCallback(void* engine, int frames, int, float*[], int outputCount,
                                     float* outputs[]) {
    if (outputCount < 2) {
        return FLUID_FAILED;
    }
    static_cast<FluidSynthEngine*>(engine)->renderAudio(outputs[0], outputs[1], frames);
    for (int i = 2; i < outputCount; ++i) {
        std::fill_n(outputs[i], frames, 0.0f);
    }
    return FLUID_OK;
}

void FluidSynthEngine::renderAudio(float* left, float* right, int frames) {
    const std::lock_guard lock(audio_);
    playing_->render(left, right, frames);
}

const MidiFile& FluidSynthEngine::song() const {
    if (!song_) {
        throw Failure(kNoDeviceMessage);
    }
    return *song_;
}

void FluidSynthEngine::open(const std::string& path) {
    close();
    ReadOnlyFile file(path);
    if (!file.isOpen() || file.size() > kMaxFileBytes) {
        throw Failure(kCannotOpenMessage);
    }
    auto parsed = std::make_shared<const MidiFile>(MidiFile::parse(file.readAll()));
    ensureSynth();
    song_ = std::move(parsed);
    tick_ = 0;
}

void FluidSynthEngine::close() {
    if (playing_) {
        playFrom(std::nullopt);
    }
    song_.reset();
    tick_ = 0;
}

void FluidSynthEngine::playFrom(std::optional<std::int64_t> tick) {
    // The settings to restore at the tick are gathered here, not on the audio thread.
    std::unique_ptr<MidiSequencer> next =
        tick ? std::make_unique<MidiSequencer>(song_, *tick, kSampleRate) : nullptr;
    std::unique_ptr<MidiSequencer> old;
    {
        const std::lock_guard lock(audio_);
        old = playing_->play(std::move(next));
    }
    isPlaying_ = tick.has_value();
    if (isPlaying_) {
        endCheck_.start();
    } else {
        endCheck_.stop();
    }
}

std::int64_t FluidSynthEngine::currentTick() {
    if (!isPlaying_) {
        return tick_;
    }
    const std::lock_guard lock(audio_);
    return playing_->sequencer()->tick();
}

void FluidSynthEngine::checkEnd() {
    if (!isPlaying_) {
        return;
    }
    bool done = false;
    {
        const std::lock_guard lock(audio_);
        done = playing_->sequencer()->finished();
    }
    if (done) {
        playFrom(std::nullopt);
        tick_ = song_->totalTicks();
        if (ended_) {
            ended_();
        }
    }
}

void FluidSynthEngine::play() {
    song();
    if (isPlaying_) {
        return;
    }
    if (tick_ >= song_->totalTicks()) {
        tick_ = 0;
    }
    playFrom(tick_);
}

void FluidSynthEngine::stop() {
    song();
    if (isPlaying_) {
        tick_ = currentTick();
        playFrom(std::nullopt);
    }
}

void FluidSynthEngine::rewind() {
    setPosition(0);
}

std::int32_t FluidSynthEngine::position() {
    if (!song_) {
        return 0;
    }
    if (!isPlaying_) {
        return toInt32(song_->millisecondsAt(tick_));
    }
    const std::lock_guard lock(audio_);
    return toInt32(playing_->sequencer()->milliseconds());
}

void FluidSynthEngine::setPosition(std::int32_t milliseconds) {
    tick_ = song().tickAt(milliseconds);
    if (isPlaying_) {
        playFrom(tick_);
    }
}

std::int32_t FluidSynthEngine::length() {
    return toInt32(song().lengthMilliseconds());
}

} // namespace velmoa
