#include "sound/heard/SinkRecorder.h"

#include <QProcessEnvironment>
#include <algorithm>

namespace velmoa::testing {
namespace {

// Short fragments: a sample's arrival says when it was played to within this.
constexpr int kLatencyMs = 10;
constexpr int kStartTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 3000;

SinkRecorder::Clock::duration durationOf(std::size_t samples) {
    return std::chrono::duration_cast<SinkRecorder::Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(samples) / SinkRecorder::kRate));
}

} // namespace

QString SinkRecorder::monitor() {
    return QProcessEnvironment::systemEnvironment().value(QStringLiteral("VELMOA_SOUND_MONITOR"));
}

SinkRecorder::SinkRecorder() {
    recorder_.setProcessChannelMode(QProcess::SeparateChannels);
    recorder_.setStandardErrorFile(QProcess::nullDevice());
}

SinkRecorder::~SinkRecorder() {
    if (recorder_.state() != QProcess::NotRunning) {
        recorder_.terminate();
        if (!recorder_.waitForFinished(kStopTimeoutMs)) {
            recorder_.kill();
            recorder_.waitForFinished();
        }
    }
}

bool SinkRecorder::start() {
    if (monitor().isEmpty()) {
        problem_ = "no sound server: run under tests/sound/run-with-sound-server.sh";
        return false;
    }
    recorder_.start(QStringLiteral("parecord"),
                    {QStringLiteral("--device=") + monitor(), QStringLiteral("--raw"),
                     QStringLiteral("--format=s16le"), QStringLiteral("--rate=%1").arg(kRate),
                     QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=%1").arg(kLatencyMs)});
    if (!recorder_.waitForStarted(kStartTimeoutMs)) {
        problem_ = "parecord did not start: " + recorder_.errorString().toStdString();
        return false;
    }
    // The null sink runs all the time: its monitor delivers silence until something plays.
    const auto deadline = Clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (samples_.empty() && Clock::now() < deadline && recorder_.state() == QProcess::Running) {
        collect(kLatencyMs);
    }
    if (samples_.empty()) {
        problem_ = "the monitor delivered nothing";
        return false;
    }
    return true;
}

void SinkRecorder::collect(int waitMs) {
    if (recorder_.bytesAvailable() == 0) {
        recorder_.waitForReadyRead(waitMs);
    }
    const QByteArray bytes = recorder_.readAllStandardOutput();
    if (bytes.isEmpty()) {
        return;
    }
    const auto when = Clock::now();
    std::string data = pendingByte_ + bytes.toStdString();
    const std::size_t whole = data.size() / 2;
    for (std::size_t i = 0; i < whole; ++i) {
        const auto low = static_cast<unsigned char>(data[2 * i]);
        const auto high = static_cast<unsigned char>(data[2 * i + 1]);
        samples_.push_back(static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8))));
    }
    pendingByte_ = data.substr(2 * whole);
    firstPlayed_ = std::min(firstPlayed_, when - durationOf(samples_.size()));
}

std::span<const std::int16_t> SinkRecorder::samplesFrom(std::size_t index) const {
    return std::span<const std::int16_t>(samples_).subspan(std::min(index, samples_.size()));
}

SinkRecorder::Clock::time_point SinkRecorder::timeOf(std::size_t index) const {
    return firstPlayed_ + durationOf(index);
}

} // namespace velmoa::testing
