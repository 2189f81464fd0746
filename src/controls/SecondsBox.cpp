#include "controls/SecondsBox.h"

#include <QLineEdit>

namespace velmoa {

int secondsFromText(const QString& text) {
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok) {
        return 1;
    }
    return static_cast<int>(std::clamp<qlonglong>(value, 1, 60));
}

SecondsBox::SecondsBox(QWidget* parent, const QString& name) : QSpinBox(parent) {
    setObjectName(name);
    setRange(1, 60);
    setValue(3);
    // Typing 0 or 99 must be possible; the range is applied on focus loss and spinning.
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setKeyboardTracking(true);
}

int SecondsBox::secondsAsTyped() const {
    return secondsFromText(lineEdit()->text());
}

} // namespace velmoa
