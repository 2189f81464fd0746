#include "media/engines/FluidSynthEngine.h"

#include "base/Failure.h"
#include "media/engines/FluidSynthLibrary.h"
#include "media/engines/SoundOutput.h"
#include "platform/ReadOnlyFile.h"

#include <chrono>
#include <cmath>
#include <fluidsynth.h>
#include <system_error>
#include <vector>

namespace velmoa {
namespace {

// MIDI files are small; anything larger is not one worth reading whole.
constexpr std::int64_t kMaxFileBytes = 64 * 1024 * 1024;
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
    endPlayer();
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
    if (outputs_ == Outputs::Desktop) {
        for (const std::string& name : fluidSynthDrivers(detectSoundEnvironment())) {
            fluid().settings_setstr(settings_, "audio.driver", name.c_str());
            driver_ = fluid().new_audio_driver(settings_, synth_);
            if (driver_) {
                return;
            }
        }
    }
    rendering_ = true;
    silentRender_ = std::thread([this] {
        constexpr int frames = 512;
        std::vector<float> buffer(frames * 2);
        const auto period = std::chrono::microseconds(1000000LL * frames / kSampleRate);
        auto next = std::chrono::steady_clock::now();
        while (rendering_) {
            fluid().synth_write_float(synth_, frames, buffer.data(), 0, 2, buffer.data(), 1, 2);
            next += period;
            std::this_thread::sleep_until(next);
        }
    });
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
    MidiFile parsed = MidiFile::parse(file.readAll());
    ensureSynth();
    song_ = std::move(parsed);
    tick_ = 0;
}

void FluidSynthEngine::close() {
    endPlayer();
    song_.reset();
    tick_ = 0;
}

void FluidSynthEngine::startPlayer(std::int64_t tick) {
    player_ = fluid().new_player(synth_);
    fluid().player_add_mem(player_, song_->smf().data(), song_->smf().size());
    fluid().player_play(player_);
    if (tick > 0) {
        fluid().player_seek(player_, static_cast<int>(tick));
        seekTarget_ = tick;
    }
    endCheck_.start();
}

void FluidSynthEngine::endPlayer() {
    endCheck_.stop();
    seekTarget_.reset();
    if (!player_) {
        return;
    }
    fluid().player_stop(player_);
    fluid().player_join(player_);
    fluid().delete_player(player_);
    player_ = nullptr;
    fluid().synth_all_notes_off(synth_, -1);
}

std::int64_t FluidSynthEngine::currentTick() {
    if (!player_) {
        return tick_;
    }
    const std::int64_t now = fluid().player_get_current_tick(player_);
    if (seekTarget_) {
        // A seek takes effect at the player's next step; until then the old tick is stale. The
        // player forgets a seek asked for before it has loaded the song (right after play), so
        // it is asked again until it lands.
        const std::int64_t near = song_->tickAt(song_->millisecondsAt(*seekTarget_) + 200) - *seekTarget_;
        if (now < *seekTarget_ || now > *seekTarget_ + near) {
            fluid().player_seek(player_, static_cast<int>(*seekTarget_));
            return *seekTarget_;
        }
        seekTarget_.reset();
    }
    tick_ = std::min(now, song_->totalTicks());
    return tick_;
}

void FluidSynthEngine::checkEnd() {
    if (!player_) {
        return;
    }
    const bool done = fluid().player_get_status(player_) == FLUID_PLAYER_DONE;
    if (done || currentTick() >= song_->totalTicks()) {
        endPlayer();
        tick_ = song_->totalTicks();
        if (ended_) {
            ended_();
        }
    }
}

void FluidSynthEngine::play() {
    song();
    if (player_) {
        return;
    }
    if (tick_ >= song_->totalTicks()) {
        tick_ = 0;
    }
    startPlayer(tick_);
}

void FluidSynthEngine::stop() {
    song();
    if (player_) {
        currentTick();
        const std::int64_t at = seekTarget_.value_or(tick_);
        endPlayer();
        tick_ = at;
    }
}

void FluidSynthEngine::rewind() {
    setPosition(0);
}

std::int32_t FluidSynthEngine::position() {
    if (!song_) {
        return 0;
    }
    return toInt32(song_->millisecondsAt(currentTick()));
}

void FluidSynthEngine::setPosition(std::int32_t milliseconds) {
    const std::int64_t tick = song().tickAt(milliseconds);
    if (player_) {
        fluid().player_seek(player_, static_cast<int>(tick));
        seekTarget_ = tick;
    }
    tick_ = tick;
}

std::int32_t FluidSynthEngine::length() {
    return toInt32(song().lengthMilliseconds());
}

} // namespace velmoa
