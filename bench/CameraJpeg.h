#pragma once

#include <string>

// Writes a camera-like JPEG (gradients, shapes and grain, so the coder has real detail to work on)
// and returns its path. Made once per run by the benchmarks. With a preview, the file carries the
// camera's own 1620-pixel-wide preview in an MPF segment, as camera files do.
std::string writeCameraLikeJpeg(const std::string& path, int width, int height, int seed,
                                bool withPreview = false);
