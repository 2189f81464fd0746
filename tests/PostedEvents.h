#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTest>

// Returns once every event posted so far has been delivered, paint requests included: a marker
// posted now, behind them and at their low priority, has come through. A test asserts that
// something did not happen by waiting for this instead of for a time.
inline bool deliverPostedEvents(int timeoutMs = 5000) {
    class Marker : public QObject {
      public:
        bool event(QEvent* event) override {
            if (event->type() == QEvent::User) {
                arrived = true;
                return true;
            }
            return QObject::event(event);
        }
        bool arrived = false;
    };
    Marker marker;
    QCoreApplication::postEvent(&marker, new QEvent(QEvent::User), Qt::LowEventPriority);
    return QTest::qWaitFor([&] { return marker.arrived; }, timeoutMs);
}
