#include "controls/ImageControl.h"

#include "controls/Alignment.h"

#include <QMouseEvent>
#include <QPainter>

namespace velmoa {

ImageControl::ImageControl(QWidget* parent, const QString& name) : QWidget(parent) {
    setObjectName(name);
    // Drawn on the parent's surface: no background of its own.
    setAttribute(Qt::WA_NoSystemBackground);
}

void ImageControl::setPicture(const Picture& picture) {
    picture_ = picture;
    applyAutoSize();
    update();
}

void ImageControl::setStretch(bool stretch) {
    stretch_ = stretch;
    update();
}

void ImageControl::setAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    applyAutoSize();
}

void ImageControl::applyAutoSize() {
    if (autoSize_ && alignOf(this) == Align::None && !picture_.isEmpty()) {
        resize(picture_.width(), picture_.height());
    }
}

void ImageControl::paintEvent(QPaintEvent*) {
    if (picture_.isEmpty()) {
        return;
    }
    QPainter painter(this);
    const QRect target = stretch_ ? rect() : QRect(0, 0, picture_.width(), picture_.height());
    picture_.draw(painter, target);
}

void ImageControl::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(event->button());
    event->accept();
}

} // namespace velmoa
