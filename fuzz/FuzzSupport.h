#pragma once

#include <QSize>
#include <cstddef>
#include <cstdint>
#include <string_view>

class QTextDocument;

namespace velmoa {

class PictureData;

// Every target draws at this size: small enough to keep a run quick, large enough to reach the
// scaling paths of each reader.
inline constexpr QSize kFuzzTargetSize(64, 48);

// The application object Qt's painting and fonts need (offscreen platform), made once.
void ensureFuzzApplication();

// Draws a loaded picture at kFuzzTargetSize, twice (the second draw takes the cached paths), then
// takes any failure the drawing found.
void drawPictureForFuzzing(const PictureData& picture);

// Lays out a document at the target width and paints its first screen.
void drawDocumentForFuzzing(QTextDocument& document);

inline std::string_view fuzzBytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace velmoa
