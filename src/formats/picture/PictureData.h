#pragma once

#include <QRect>

class QPainter;

namespace velmoa {

// The shared, immutable part of a loaded picture. Decoders subclass it.
class PictureData {
  public:
    virtual ~PictureData() = default;
    // Width and height in pixels by the rules of the picture's kind.
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Draws the picture scaled into target. Never throws: decoding errors found here are
    // posted with postFailure().
    virtual void draw(QPainter& painter, const QRect& target) const = 0;
    // Whether the pixels are still being made elsewhere (a decode ahead that has not finished), so
    // that a draw now would wait for them.
    virtual bool pixelsPending() const { return false; }
};

} // namespace velmoa
