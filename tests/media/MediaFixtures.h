#pragma once

#include <QTemporaryDir>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velmoa::testing {

// A mono 16-bit PCM WAV of the samples.
std::string wavOf(const std::vector<std::int16_t>& samples, int rate);

// A mono 16-bit PCM WAV of a 440 Hz tone lasting the given milliseconds at 8000 Hz.
std::string wavBytes(int milliseconds);

// The message of the Failure the operation throws, or "(none)".
std::string failureOf(const std::function<void()>& operation);

// Runs ffmpeg with the given arguments (input options, inputs, output options) writing path;
// returns false when ffmpeg fails.
bool ffmpeg(const QStringList& arguments, const std::string& path);

// Media files made at test time in one folder: a tone and a moving test picture in each container.
struct MediaFixtures {
    explicit MediaFixtures(const QTemporaryDir& dir);
    std::string path(const std::string& name) const { return folder + "/" + name; }
    std::string folder;
    bool made = false;
};

} // namespace velmoa::testing
