#pragma once

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdint>
#include <functional>
#include <optional>

namespace velmoa::rop {

// A ternary raster operation is named by its index byte (bits 16-23 of the 32-bit code): bit
// (4p + 2s + d) of the index is the result for pattern bit p, source bit s, destination bit d.
constexpr std::uint8_t indexOf(std::uint32_t code) {
    return static_cast<std::uint8_t>((code >> 16) & 0xFF);
}
constexpr std::uint8_t kNoOp = 0xAA;        // the destination as it is
constexpr std::uint8_t kSourceCopy = 0xCC;  // SRCCOPY
constexpr std::uint8_t kPatternCopy = 0xF0; // PATCOPY

// The operation applied bit by bit to whole words (pixels with their channels side by side).
std::uint32_t apply(std::uint8_t index, std::uint32_t pattern, std::uint32_t source,
                    std::uint32_t destination);

bool usesPattern(std::uint8_t index);
bool usesSource(std::uint8_t index);
bool usesDestination(std::uint8_t index);

// A binary operation of SetROP2 (R2_BLACK 1 … R2_WHITE 16) as a ternary index, the pen taking
// the place of the pattern.
std::uint8_t fromRop2(int rop2);

// Qt's raster composition for an operation that reads the destination and at most one of
// pattern and source (drawn as Qt's source); nullopt for the others.
std::optional<QPainter::CompositionMode> compositionMode(std::uint8_t index);

// Carries out the operation over area (painter coordinates) on the pixels of the image the
// painter draws on: the source image drawn by paintSource, the pattern by paintPattern (each
// may be empty when the operation does not read it), within the painter's clip. False when the
// painter draws on no image whose pixels can be read.
bool applyOnDevice(QPainter& painter, std::uint8_t index, const QPainterPath& area,
                   const std::function<void(QPainter&)>& paintSource,
                   const std::function<void(QPainter&)>& paintPattern);

// The source image with the operation applied against a constant pattern colour; for
// operations that do not read the destination, the result can be drawn as a picture.
QImage applyToImage(std::uint8_t index, const QImage& source, QRgb pattern);

} // namespace velmoa::rop
