#pragma once

#include <QEvent>
#include <QObject>

// Counts the paint events of the widgets it is installed on.
class PaintCounter : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
    int paints = 0;
};
