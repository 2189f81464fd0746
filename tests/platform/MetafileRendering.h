#pragma once

#include "platform/MetafileLoader.h"

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <string>

// Loads metafile bytes and draws them onto a white image of the given size.
inline QImage renderMetafile(const std::string& bytes, bool enhanced, QSize size = QSize(100, 100)) {
    const velmoa::Picture picture = velmoa::loadMetafilePicture(bytes, enhanced);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.draw(painter, QRect(QPoint(0, 0), size));
    return image;
}

// Colours compare with some slack for antialiased edges and rounding.
inline bool near(QRgb pixel, QColor expected, int tolerance = 40) {
    return std::abs(qRed(pixel) - expected.red()) <= tolerance &&
           std::abs(qGreen(pixel) - expected.green()) <= tolerance &&
           std::abs(qBlue(pixel) - expected.blue()) <= tolerance;
}

inline int darkPixels(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        }
    }
    return count;
}
