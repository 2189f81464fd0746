#pragma once

#include "controls/ImageControl.h"

#include <QEvent>
#include <chrono>

inline double benchNowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Notes when a picture control has finished painting a camera picture (not a built-in one).
class PaintWatch : public QObject {
  public:
    explicit PaintWatch(velmoa::ImageControl* image) : image_(image) { image->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == image_ && event->type() == QEvent::Paint && image_->picture().width() >= 1000) {
            // The paint itself, then the time.
            image_->removeEventFilter(this);
            static_cast<QObject*>(image_)->event(event);
            image_->installEventFilter(this);
            paintedAt = benchNowMs();
            ++paints;
            return true;
        }
        return false;
    }
    double paintedAt = 0;
    int paints = 0;

  private:
    velmoa::ImageControl* image_;
};
