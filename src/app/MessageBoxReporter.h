#pragma once

#include "platform/FailureReporter.h"

#include <QPointer>

class QMessageBox;

namespace velmoa {

// Shows each failure in a message box titled "Velmoa" and writes it to standard error as one
// line. While a box is open, further failures are counted in it rather than stacked.
class MessageBoxReporter : public FailureReporter {
  public:
    void report(const QString& message) override;

  private:
    QPointer<QMessageBox> openBox_;
    QString firstMessage_;
    int repeats_ = 0;
};

// The text of the open box after more failures arrived while it was shown.
QString countedMessageText(const QString& first, const QString& latest, int further);

} // namespace velmoa
