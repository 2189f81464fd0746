#pragma once

#include <string>

// Writes a camera-like JPEG (gradients, shapes and grain, so the coder has real detail to work on)
// and returns its path. Made once per run by the benchmarks.
std::string writeCameraLikeJpeg(const std::string& path, int width, int height, int seed);
