#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

// The longest time the event loop kept a timer that wants to run all the time waiting, from the
// watch's making on: how long the window was frozen at worst.
class StallWatch {
  public:
    StallWatch() {
        clock_.start();
        ticks_.setInterval(0);
        QObject::connect(&ticks_, &QTimer::timeout, [this] {
            const double now = nowMs();
            longestMs_ = std::max(longestMs_, now - lastMs_);
            lastMs_ = now;
        });
        ticks_.start();
    }
    double longestMs() const { return std::max(longestMs_, nowMs() - lastMs_); }

  private:
    double nowMs() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e6; }

    QElapsedTimer clock_;
    QTimer ticks_;
    double lastMs_ = 0;
    double longestMs_ = 0;
};
