#include "controls/MediaPlayerStrip.h"

#include <QKeyEvent>
#include <QPainter>
#include <QToolButton>

namespace velmoa {
namespace {

QIcon playerIcon(MediaButton button) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    if (button == MediaButton::Play) {
        p.setBrush(QColor(0, 160, 0));
        p.drawPolygon(QPolygonF({{3.5, 2.5}, {13.5, 8}, {3.5, 13.5}}));
    } else {
        p.setBrush(QColor(40, 40, 40));
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
    }
    return QIcon(pixmap);
}

QToolButton* makeButton(QWidget* parent, MediaButton button, const QString& name, const QString& text) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(playerIcon(button));
    b->setIconSize(QSize(16, 16));
    b->setToolTip(text);
    b->setAccessibleName(text);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setAutoRaise(false);
    b->installEventFilter(parent);
    return b;
}

} // namespace

MediaPlayerStrip::MediaPlayerStrip(QWidget* parent, const QString& name) : QWidget(parent) {
    setObjectName(name);
    resize(57, 26);
    play_ = makeButton(this, MediaButton::Play, QStringLiteral("btPlay"), QStringLiteral("再生"));
    play_->setGeometry(0, 0, 28, 26);
    stop_ = makeButton(this, MediaButton::Stop, QStringLiteral("btStop"), QStringLiteral("停止"));
    stop_->setGeometry(29, 0, 28, 26);
    connect(play_, &QToolButton::clicked, this, [this] { emit buttonPressed(MediaButton::Play); });
    connect(stop_, &QToolButton::clicked, this, [this] { emit buttonPressed(MediaButton::Stop); });
}

QToolButton* MediaPlayerStrip::button(MediaButton which) const {
    return which == MediaButton::Play ? play_ : stop_;
}

void MediaPlayerStrip::setButtonEnabled(MediaButton which, bool enabled) {
    QToolButton* changed = button(which);
    QWidget* focused = window()->focusWidget();
    if (!enabled && focused == changed) {
        // A greyed button's focus stays in the strip (the toolkit would pass it on to the next
        // control): on the other button, or on the strip until a button is enabled again.
        QToolButton* other = which == MediaButton::Play ? stop_ : play_;
        if (other->isEnabled() && other->isVisible()) {
            other->setFocus(Qt::OtherFocusReason);
        } else {
            setFocus(Qt::OtherFocusReason);
        }
    }
    changed->setEnabled(enabled);
    if (enabled && focused == this) {
        changed->setFocus(Qt::OtherFocusReason);
    }
}

bool MediaPlayerStrip::isButtonEnabled(MediaButton which) const {
    return button(which)->isEnabled();
}

bool MediaPlayerStrip::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == play_ || watched == stop_)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            // Right goes from Play to Stop, Left back; the ends do not wrap.
            QToolButton* target = key == Qt::Key_Right ? (watched == play_ ? stop_ : nullptr)
                                                       : (watched == stop_ ? play_ : nullptr);
            if (target && target->isVisible() && target->isEnabled()) {
                target->setFocus(key == Qt::Key_Left ? Qt::BacktabFocusReason : Qt::TabFocusReason);
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace velmoa
