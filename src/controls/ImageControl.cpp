#include "controls/ImageControl.h"

#include "controls/Alignment.h"
#include "platform/FailureReporter.h"

#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>

namespace velmoa {

ImageControl::ImageControl(QWidget* parent, const QString& name) : QWidget(parent) {
    setObjectName(name);
    // Drawn on the parent's surface: no background of its own.
    setAttribute(Qt::WA_NoSystemBackground);
}

void ImageControl::setPicture(const Picture& picture) {
    const bool showingOne = !picture_.isEmpty();
    picture_ = picture;
    pixelsWatch_.reset();
    applyAutoSize();
    // A picture still being decoded elsewhere takes the place of the one on screen once its pixels
    // are ready, so that the window takes the next key meanwhile (a key held down steps past it,
    // and its decode is dropped) and no frame is drawn half. A paint that the system asks for (the
    // control exposed or resized) draws it at once, waiting for the pixels if need be.
    if (showingOne && picture_.pixelsPending()) {
        pixelsWatch_ = picture_.whenPixelsReady([this] {
            // On the thread that made the pixels: the control hears of it through its own queue.
            QMetaObject::invokeMethod(this, &ImageControl::showWhenReady, Qt::QueuedConnection);
        });
        return;
    }
    update();
}

void ImageControl::showWhenReady() {
    // A call queued for a picture that has since been replaced finds nothing pending and repaints
    // once more, which does no harm.
    if (!picture_.pixelsPending()) {
        update();
    }
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
    drawPicture(picture_, painter, target);
}

void drawPicture(const Picture& picture, QPainter& painter, const QRect& target) {
    picture.draw(painter, target);
    if (const std::optional<std::string> failure = picture.takeDrawFailure()) {
        postFailure(*failure);
    }
}

void ImageControl::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(event->button());
    event->accept();
}

} // namespace velmoa
