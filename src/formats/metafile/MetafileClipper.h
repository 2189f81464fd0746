#pragma once

#include <QPainterPath>
#include <optional>

namespace velmoa {

// Combines a device context's clip (in target coordinates) with new pieces, never reaching
// outside the target, and refuses further work once a hostile file has asked for too much.
class MetafileClipper {
  public:
    explicit MetafileClipper(const QPainterPath& bounds) : bounds_(bounds) {}
    // The whole drawable area: the clip when the file has set none.
    const QPainterPath& bounds() const { return bounds_; }
    // mode: RGN_AND 1, RGN_OR 2, RGN_XOR 3, RGN_DIFF 4, RGN_COPY 5; no clip stands for the
    // bounds. False when the clip was left as it was.
    bool combine(std::optional<QPainterPath>& clip, const QPainterPath& path, int mode);

  private:
    QPainterPath bounds_;
    long long work_ = 0;
};

} // namespace velmoa
