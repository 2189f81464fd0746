#pragma once

#include <QPainterPath>
#include <optional>

namespace velmoa {

class MetafileWorkBudget;

// Combines a device context's clip (in target coordinates) with new pieces, never reaching
// outside the target, each combination paid for from the drawing's work budget.
class MetafileClipper {
  public:
    MetafileClipper(const QPainterPath& bounds, MetafileWorkBudget& budget)
        : bounds_(bounds), budget_(budget) {}
    // The whole drawable area: the clip when the file has set none.
    const QPainterPath& bounds() const { return bounds_; }
    // mode: RGN_AND 1, RGN_OR 2, RGN_XOR 3, RGN_DIFF 4, RGN_COPY 5; no clip stands for the
    // bounds. False when the clip was left as it was: a combination the budget cannot pay for is
    // not made (and the drawing stops there).
    bool combine(std::optional<QPainterPath>& clip, const QPainterPath& path, int mode);

  private:
    QPainterPath bounds_;
    MetafileWorkBudget& budget_;
};

} // namespace velmoa
