#include "controls/Panel.h"

#include "controls/Alignment.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPalette>

namespace velmoa {

QColor buttonFaceColour() {
    return QColor(240, 240, 240);
}

Panel::Panel(QWidget* parent, const QString& name, const QColor& colour) : QFrame(parent) {
    setObjectName(name);
    setAutoFillBackground(true);
    setColour(colour);
    setFrameStyle(QFrame::NoFrame);
}

void Panel::setColour(const QColor& colour) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colour);
    setPalette(pal);
}

void Panel::setFontColour(const QColor& colour) {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, colour);
    setPalette(pal);
}

void Panel::setBevel(Bevel bevel) {
    switch (bevel) {
    case Bevel::None:
        setFrameStyle(QFrame::NoFrame);
        break;
    case Bevel::Raised:
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        setLineWidth(1);
        break;
    case Bevel::RaisedInLoweredOut:
        setFrameStyle(QFrame::Box | QFrame::Sunken);
        setLineWidth(1);
        setMidLineWidth(0);
        break;
    case Bevel::SingleBorder:
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
        break;
    }
    realignChildren(this);
}

void Panel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    realignChildren(this);
}

void Panel::childEvent(QChildEvent* event) {
    QFrame::childEvent(event);
    if (event->added() && event->child()->isWidgetType()) {
        event->child()->installEventFilter(this);
    }
}

bool Panel::eventFilter(QObject* watched, QEvent* event) {
    if (watched->parent() == this &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)) {
        realignChildren(this);
    }
    return QFrame::eventFilter(watched, event);
}

void Panel::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(event->button());
    // Handled here: the panel below must not take the same press as its own.
    event->accept();
}

BandBar::BandBar(QWidget* parent, const QString& name, int height) : Panel(parent, name) {
    resize(width(), height);
    setAlign(this, Align::Top);
}

} // namespace velmoa
