#pragma once

#include "formats/text/TextPieces.h"

#include <QObject>
#include <chrono>
#include <functional>
#include <memory>

namespace velmoa {

// Hands a long text to its view a piece at a time, as many pieces in one pass of the event loop as
// fit in a few milliseconds, so that the first screen shows at once and the window stays
// responsive (paints, keys) while the rest is decoded. A new start, cancel(), or the text's end
// stops the filling.
class StepwiseTextFill : public QObject {
    Q_OBJECT
  public:
    // The first piece holds more than most screens (a screen of long wrapped lines on a large
    // window gets the rest in the pass that follows at once) and is all the first screen waits
    // for; each later one is decoded and indexed in a millisecond or two, and pieces go on in one
    // pass until kPassTime is spent.
    static constexpr std::size_t kFirstPieceBytes = std::size_t{16} * 1024;
    static constexpr std::size_t kPieceBytes = std::size_t{64} * 1024;
    static constexpr std::chrono::milliseconds kPassTime{12};

    // put(piece, fromStart): the next piece, to go after the last, or in place of all before it
    // when fromStart. The first piece goes before start returns; done(whole) follows the last
    // (not when stopped).
    using Put = std::function<void(const QString& piece, bool fromStart)>;
    void start(std::unique_ptr<TextPieces> pieces, Put put, std::function<void(bool whole)> done);
    void cancel();
    bool running() const { return pieces_ != nullptr; }

  private:
    void schedule();
    // Puts the next piece; false when the fill ended or was stopped meanwhile.
    bool putPiece(std::size_t size);

    std::unique_ptr<TextPieces> pieces_;
    Put put_;
    std::function<void(bool)> done_;
    int generation_ = 0; // a step queued for an earlier start does nothing
};

} // namespace velmoa
