#include "controls/StepwiseTextFill.h"

#include <QElapsedTimer>
#include <QTimer>

namespace velmoa {

void StepwiseTextFill::start(std::unique_ptr<TextPieces> pieces, Put put, std::function<void(bool)> done) {
    cancel();
    pieces_ = std::move(pieces);
    put_ = std::move(put);
    done_ = std::move(done);
    if (putPiece(kFirstPieceBytes)) {
        schedule();
    }
}

void StepwiseTextFill::schedule() {
    const int generation = generation_;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation != generation_) {
            return;
        }
        QElapsedTimer spent;
        spent.start();
        while (putPiece(kPieceBytes)) {
            if (spent.elapsed() >= kPassTime.count()) {
                schedule();
                return;
            }
        }
    });
}

void StepwiseTextFill::cancel() {
    ++generation_;
    pieces_.reset();
    put_ = nullptr;
    done_ = nullptr;
}

bool StepwiseTextFill::putPiece(std::size_t size) {
    const QString piece = pieces_->next(size);
    const int generation = generation_;
    put_(piece, pieces_->startedOver());
    if (generation != generation_) {
        return false; // the view was given something else meanwhile
    }
    if (!pieces_->atEnd()) {
        return true;
    }
    const bool whole = pieces_->whole();
    const std::function<void(bool)> done = std::move(done_);
    cancel();
    if (done) {
        done(whole);
    }
    return false;
}

} // namespace velmoa
