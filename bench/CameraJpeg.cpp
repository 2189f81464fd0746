#include "CameraJpeg.h"

#include "PreviewFixtures.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <random>

namespace {
QByteArray jpegOf(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return bytes;
}
} // namespace

std::string writeCameraLikeJpeg(const std::string& path, int width, int height, int seed, bool withPreview) {
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
    std::string bytes = jpegOf(image, 92).toStdString();
    if (withPreview) {
        const QImage preview =
            image.scaled(1620, 1620 * height / width, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        bytes = fixtures::withMultiPicturePreview(bytes, jpegOf(preview, 85).toStdString());
    }
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::WriteOnly);
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
}
