#include "CameraJpeg.h"

#include <QImage>
#include <QPainter>
#include <random>

std::string writeCameraLikeJpeg(const std::string& path, int width, int height, int seed) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(40 + seed * 20, 110, 200));
    sky.setColorAt(1, QColor(230, 200, 150));
    painter.fillRect(image.rect(), sky);
    std::mt19937 random(static_cast<unsigned>(seed));
    std::uniform_int_distribution<int> coordinate(0, std::max(width, height));
    std::uniform_int_distribution<int> channel(0, 255);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 400; ++i) {
        painter.setBrush(QColor(channel(random), channel(random), channel(random), 160));
        painter.drawEllipse(QPoint(coordinate(random), coordinate(random)), coordinate(random) / 12 + 4,
                            coordinate(random) / 12 + 4);
    }
    painter.end();
    // Sensor grain on every pixel.
    std::uniform_int_distribution<int> grain(-12, 12);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int g = grain(random);
            const QRgb p = line[x];
            line[x] = qRgb(std::clamp(qRed(p) + g, 0, 255), std::clamp(qGreen(p) + g, 0, 255),
                           std::clamp(qBlue(p) + g, 0, 255));
        }
    }
    image.save(QString::fromStdString(path), "JPEG", 92);
    return path;
}
