#pragma once

#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <algorithm>

namespace velmoa {

// The work one drawing of a metafile may do, shared by everything that draws for it: its plain
// records, its EMF+ records, its clip and the metafiles drawn as images inside it. Work is counted
// in pixels touched, and what costs time without covering much (path elements, dashes, clip
// combinations, decoded image pixels) in the pixels that would take as long. Once it is spent the
// players stop, and the picture shows what they reached.
class MetafileWorkBudget {
  public:
    // Pixels touched: about two hundred full 4K screens, a few seconds of drawing.
    static constexpr double kMaxWork = 1e9;
    // Every call costs at least this, even when it covers nothing.
    static constexpr double kCallWork = 256;

    // What drawing a path costs beyond its elements.
    struct PathCost {
        QRectF covered;          // target pixels it covers, within the target
        double penPixels = 0;    // the pen's width in target pixels; 0 for none or a hairline
        double dashPixels = 0;   // one period of the pen's dash pattern in target pixels; 0 for solid
        double scale = 1;        // path units to target pixels
        double targetHeight = 0; // rows of pixels of the target
        bool filled = false;
    };

    // A smaller limit is for tests, which show with it what a budget cuts without taking the
    // seconds of a full one.
    explicit MetafileWorkBudget(double limit = kMaxWork) : limit_(limit) {}

    bool exhausted() const { return spent_ > limit_; }
    double spent() const { return spent_; }
    double limit() const { return limit_; }
    // Adds the cost (one that is not a number, or past the limit, spends everything); false once the
    // budget is spent.
    bool spend(double cost);
    // Spends what is left: the drawing stops as though it had done all its work.
    void spendAll() { spent_ = std::max(spent_, limit_ + 1); }
    // Charges drawing the path: the area it covers, its elements and dashes, each weighed by the
    // pen's width (the stroke of a wide pen covers much for every element). Past the budget, only
    // the elements that fit are returned, ending at a whole segment or curve, and the budget is
    // then spent.
    QPainterPath pathWithinBudget(const QPainterPath& path, const PathCost& cost);
    // Charges a clip or region combination of shapes of so many elements each, which costs time by
    // the product of their sizes; false when the budget cannot pay for it (it is then spent), and
    // the combination must not be made.
    bool combine(int elementsA, int elementsB);
    // One period of the pen's dash pattern in target pixels when its width is scaled so; 0 for a
    // solid pen.
    static double dashPeriod(const QPen& pen, double scale);
    // Charges decoding an image of so many pixels.
    bool decode(double pixels) { return spend(pixels * kDecodedPixelWork); }

  private:
    // An element of a drawn path counts as this many pixels, and more with a wide pen: the joins
    // of a wide pen are flattened into many edges, each over rows as many as the pen is wide.
    static constexpr double kElementWork = 500;
    static constexpr double kPenAreaWork = 128; // a square pixel of the pen's width
    // A dash, which the stroker makes a path of its own.
    static constexpr double kDashWork = 5000;
    // A row of pixels that an edge of a filled path crosses, times the rows' crowding.
    static constexpr double kEdgeRowWork = 100;
    // A pair of elements of two combined shapes (an exclusive or of two shapes of two thousand
    // elements takes about as long as filling a hundred million pixels).
    static constexpr double kCombinePairWork = 25;
    // A combination costs at least as much as going through its elements.
    static constexpr double kCombineElementWork = 2000;
    static constexpr double kDecodedPixelWork = 2;

    double limit_;
    double spent_ = 0;
};

} // namespace velmoa
