#include "controls/MediaPlayerStrip.h"

#include <QPainter>
#include <QToolButton>

namespace velmoa {
namespace {
QIcon playerIcon(bool play) {
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    if (play) {
        p.drawPolygon(QPolygonF({{2, 1}, {11, 6}, {2, 11}}));
    } else {
        p.drawRect(QRectF(2, 2, 8, 8));
    }
    return QIcon(pixmap);
}
} // namespace

MediaPlayerStrip::MediaPlayerStrip(QWidget* parent, const QString& name) : QWidget(parent) {
    setObjectName(name);
    resize(57, 26);
    play_ = new QToolButton(this);
    play_->setObjectName(QStringLiteral("btPlay"));
    play_->setIcon(playerIcon(true));
    play_->setGeometry(0, 0, 28, 26);
    stop_ = new QToolButton(this);
    stop_->setObjectName(QStringLiteral("btStop"));
    stop_->setIcon(playerIcon(false));
    stop_->setGeometry(29, 0, 28, 26);
    connect(play_, &QToolButton::clicked, this, &MediaPlayerStrip::playPressed);
    connect(stop_, &QToolButton::clicked, this, &MediaPlayerStrip::stopPressed);
}

void MediaPlayerStrip::setPlayEnabled(bool enabled) {
    play_->setEnabled(enabled);
}
void MediaPlayerStrip::setStopEnabled(bool enabled) {
    stop_->setEnabled(enabled);
}

} // namespace velmoa
