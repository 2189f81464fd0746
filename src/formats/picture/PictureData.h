#pragma once

#include "base/ReadyFlag.h"

#include <QRect>
#include <functional>
#include <optional>
#include <string>

class QPainter;

namespace velmoa {

// The shared, immutable part of a loaded picture. Decoders subclass it.
class PictureData {
  public:
    virtual ~PictureData() = default;
    // Width and height in pixels by the rules of the picture's kind.
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Draws the picture scaled into target. Never throws: a decoding error found here is kept for
    // takeDrawFailure(), since a draw runs where nothing may throw (a paint event) and a reader
    // shows no messages of its own.
    virtual void draw(QPainter& painter, const QRect& target) const = 0;
    // The message of a decoding error that a draw found, given to the first caller that asks after
    // it was found and to no other, so that its drawer reports it once per loaded picture.
    virtual std::optional<std::string> takeDrawFailure() const { return std::nullopt; }
    // Whether the pixels are still being made elsewhere (a decode ahead that has not finished), so
    // that a draw now would wait for them.
    virtual bool pixelsPending() const { return false; }
    // Calls onReady once pending pixels are ready, on the thread that made them; at once, here,
    // when none are pending. See ReadyFlag for what onReady may do.
    // By value: the overrides keep the callback until the pixels are ready.
    // NOLINTNEXTLINE(performance-unnecessary-value-param)
    virtual ReadyFlag::Watch whenPixelsReady(std::function<void()> onReady) const {
        onReady();
        return {};
    }
};

} // namespace velmoa
