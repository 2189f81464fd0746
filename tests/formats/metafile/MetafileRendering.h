#pragma once

#include "formats/metafile/MetafileLoader.h"

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

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

// A pixel expected at a place of the drawn picture.
struct Sample {
    QPoint at;
    QColor colour;
};

// One case of a drawing table: records written after the writer's header, pixels to expect.
template <class Writer> struct DrawRow {
    const char* name;
    std::function<void(Writer&)> records;
    std::vector<Sample> samples;
};

// Builds each row's metafile from a fresh writer, draws it and checks the samples.
template <class Writer>
void checkDrawRows(const std::vector<DrawRow<Writer>>& rows, Writer (*makeWriter)(), bool enhanced,
                   QSize size = QSize(100, 100)) {
    for (const auto& row : rows) {
        Writer w = makeWriter();
        row.records(w);
        const QImage image = renderMetafile(w.build(), enhanced, size);
        for (const Sample& s : row.samples) {
            EXPECT_TRUE(near(image.pixel(s.at), s.colour))
                << row.name << " at " << s.at.x() << "," << s.at.y() << ": " << std::hex << image.pixel(s.at);
        }
    }
}

// Plays the bytes with Player onto a white 100 x 100 image; true when every record played.
template <class Player> bool playsToEnd(const std::string& bytes, QImage* out = nullptr) {
    const auto header = Player::readHeader(bytes);
    EXPECT_TRUE(header.has_value());
    if (!header) {
        return false;
    }
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const bool complete = Player(bytes, *header).play(painter, QRectF(0, 0, 100, 100));
    painter.end();
    if (out) {
        *out = image;
    }
    return complete;
}
