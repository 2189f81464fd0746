#pragma once

#include <QProcess>
#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velmoa::testing {

// Records what the private sound server plays (run-with-sound-server.sh names the null sink's
// monitor in VELMOA_SOUND_MONITOR) as mono 16-bit samples, as they arrive.
class SinkRecorder {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kRate = 44100;

    // The monitor to record, or empty outside the sound-server script.
    static QString monitor();

    SinkRecorder();
    ~SinkRecorder();
    SinkRecorder(const SinkRecorder&) = delete;
    SinkRecorder& operator=(const SinkRecorder&) = delete;

    // Starts recording; returns once samples flow, or false (with problem() saying why).
    bool start();
    const std::string& problem() const { return problem_; }
    // Takes in what has arrived, waiting at most waitMs for something to.
    void collect(int waitMs);
    const std::vector<std::int16_t>& samples() const { return samples_; }
    // The samples from the index on.
    std::span<const std::int16_t> samplesFrom(std::size_t index) const;
    // When the sample was played, judged from the earliest arrival: the sink plays at a steady
    // rate, and a fragment arrives no sooner than its last sample was played.
    Clock::time_point timeOf(std::size_t index) const;

  private:
    QProcess recorder_;
    std::vector<std::int16_t> samples_;
    // When the first sample was played: the earliest seen of arrival less the arrived samples' time.
    Clock::time_point firstPlayed_ = Clock::time_point::max();
    std::string pendingByte_;
    std::string problem_;
};

} // namespace velmoa::testing
