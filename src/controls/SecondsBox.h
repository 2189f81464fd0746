#pragma once

#include <QSpinBox>

namespace velmoa {

// The slideshow's seconds box (1 to 60). The user may type any number; the box brings it into
// range when spun or when it loses the focus.
class SecondsBox : public QSpinBox {
    Q_OBJECT
  public:
    SecondsBox(QWidget* parent, const QString& name);
    // The number as typed, brought into 1..60; 1 when the text is not a whole number.
    int secondsAsTyped() const;
};

// The text of the box read as a whole number, brought into 1..60; 1 when it is none.
int secondsFromText(const QString& text);

} // namespace velmoa
