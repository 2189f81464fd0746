#include "controls/ToolImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace velmoa {
namespace {

void drawOpen(QPainter& p) {
    p.setPen(QColor(120, 90, 20));
    p.setBrush(QColor(240, 200, 80));
    p.drawPolygon(QPolygonF({{1, 3}, {6, 3}, {7, 5}, {13, 5}, {13, 13}, {1, 13}}));
    p.setBrush(QColor(255, 230, 130));
    p.drawPolygon(QPolygonF({{3, 7}, {15, 7}, {13, 13}, {1, 13}}));
}

void drawCross(QPainter& p) {
    p.setPen(QPen(QColor(200, 20, 20), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3, 3), QPointF(13, 13));
    p.drawLine(QPointF(13, 3), QPointF(3, 13));
}

void drawTriangle(QPainter& p, bool right, qreal x0, qreal x1) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 120, 30));
    if (right) {
        p.drawPolygon(QPolygonF({{x0, 2}, {x1, 8}, {x0, 14}}));
    } else {
        p.drawPolygon(QPolygonF({{x1, 2}, {x0, 8}, {x1, 14}}));
    }
}

void drawPause(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 60, 160));
    p.drawRect(QRectF(4, 3, 3, 10));
    p.drawRect(QRectF(9, 3, 3, 10));
}

void drawSkip(QPainter& p, bool forward) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 60, 160));
    if (forward) {
        drawTriangle(p, true, 3, 11);
        p.setBrush(QColor(30, 60, 160));
        p.drawRect(QRectF(11, 3, 2, 10));
    } else {
        p.drawRect(QRectF(3, 3, 2, 10));
        drawTriangle(p, false, 5, 13);
    }
}

void drawArrows(QPainter& p, bool outwards) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(outwards ? 5.5 : 4.5, outwards ? 5.5 : 4.5, outwards ? 5 : 7, outwards ? 5 : 7));
    p.setPen(QPen(QColor(20, 20, 150), 1.3));
    const QPointF corners[] = {{1, 1}, {15, 1}, {15, 15}, {1, 15}};
    const QPointF inner[] = {{5, 5}, {11, 5}, {11, 11}, {5, 11}};
    for (int i = 0; i < 4; ++i) {
        const QPointF from = outwards ? inner[i] : corners[i];
        const QPointF to = outwards ? corners[i] : inner[i];
        p.drawLine(from, to);
        const QPointF d = (from - to) / 4.0;
        p.drawLine(to, to + QPointF(d.x(), 0));
        p.drawLine(to, to + QPointF(0, d.y()));
    }
}

void drawQuestion(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 90, 200));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    p.setPen(Qt::white);
    QFont font;
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
}

void drawPrinter(QPainter& p) {
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(150, 150, 150));
    p.drawRect(QRectF(1.5, 6.5, 13, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.setPen(QColor(20, 160, 20));
    p.drawPoint(QPointF(12.5, 8.5));
}

} // namespace

QPixmap toolImage(int index) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case ImageOpen:
        drawOpen(p);
        break;
    case ImageClose:
        drawCross(p);
        break;
    case ImageStart:
        drawTriangle(p, true, 4, 13);
        break;
    case ImageStop:
        drawPause(p);
        break;
    case ImageBack:
        drawSkip(p, false);
        break;
    case ImageNext:
        drawSkip(p, true);
        break;
    case ImageEnlarge:
        drawArrows(p, true);
        break;
    case ImageReduce:
        drawArrows(p, false);
        break;
    case ImageAbout:
        drawQuestion(p);
        break;
    case ImagePrint:
        drawPrinter(p);
        break;
    default:
        break;
    }
    return pixmap;
}

QIcon toolIcon(int index) {
    return QIcon(toolImage(index));
}

QPixmap applicationPicture() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(QColor(250, 250, 250));
    p.drawRoundedRect(QRectF(2, 5, 28, 22), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 150, 230));
    p.drawRect(QRectF(4, 7, 24, 12));
    p.setBrush(QColor(60, 140, 60));
    p.drawPolygon(QPolygonF({{4, 19}, {12, 11}, {18, 16}, {22, 13}, {28, 19}}));
    p.setBrush(QColor(220, 30, 30));
    p.drawPolygon(QPolygonF({{13, 20}, {13, 26}, {19, 23}}));
    return pixmap;
}

QIcon applicationIcon() {
    return QIcon(applicationPicture());
}

} // namespace velmoa
