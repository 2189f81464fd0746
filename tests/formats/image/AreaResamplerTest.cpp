#include "formats/image/AreaResampler.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace velmoa;

namespace {

QImage shrunk(const QImage& source, const QSize& to) {
    AreaResampler resampler(source.size(), to);
    for (int y = 0; y < source.height(); ++y) {
        resampler.addRow(reinterpret_cast<const QRgb*>(source.constScanLine(y)));
    }
    return resampler.take();
}

QImage noise(const QSize& size, unsigned seed) {
    QImage image(size, QImage::Format_RGB32);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> channel(0, 255);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, qRgb(channel(random), channel(random), channel(random)));
        }
    }
    return image;
}

// The mean of the covered area, worked out in floating point for one output pixel and channel.
double areaMean(const QImage& source, const QSize& to, int ox, int oy, int (*channel)(QRgb)) {
    const double sx = double(source.width()) / to.width(), sy = double(source.height()) / to.height();
    double sum = 0;
    for (int y = int(oy * sy); y < source.height() && y < (oy + 1) * sy; ++y) {
        const double wy = std::min<double>(y + 1, (oy + 1) * sy) - std::max<double>(y, oy * sy);
        for (int x = int(ox * sx); x < source.width() && x < (ox + 1) * sx; ++x) {
            const double wx = std::min<double>(x + 1, (ox + 1) * sx) - std::max<double>(x, ox * sx);
            sum += wx * wy * channel(source.pixel(x, y));
        }
    }
    return sum / (sx * sy);
}

} // namespace

TEST(AreaResampler, EachPixelIsTheMeanOfTheAreaItCovers) {
    const struct {
        QSize from, to;
    } rows[] = {
        {{10, 10}, {10, 10}}, {{10, 10}, {1, 1}},   {{7, 5}, {3, 2}},     {{750, 3}, {640, 2}},
        {{3, 750}, {2, 640}}, {{64, 48}, {63, 47}}, {{101, 37}, {7, 36}}, {{2, 9}, {1, 4}},
    };
    for (const auto& row : rows) {
        const QImage source = noise(row.from, static_cast<unsigned>(row.from.width() * 31 + row.to.width()));
        const QImage result = shrunk(source, row.to);
        ASSERT_EQ(result.size(), row.to) << row.from.width() << "x" << row.from.height();
        for (int y = 0; y < row.to.height(); ++y) {
            for (int x = 0; x < row.to.width(); ++x) {
                const QRgb got = result.pixel(x, y);
                EXPECT_NEAR(qRed(got), areaMean(source, row.to, x, y, qRed), 0.51) << x << "," << y;
                EXPECT_NEAR(qGreen(got), areaMean(source, row.to, x, y, qGreen), 0.51) << x << "," << y;
                EXPECT_NEAR(qBlue(got), areaMean(source, row.to, x, y, qBlue), 0.51) << x << "," << y;
            }
        }
    }
}

TEST(AreaResampler, ShrinksOnlyAndIgnoresRowsPastTheInput) {
    const struct {
        QSize from, to;
        bool shrinks;
    } rows[] = {
        {{10, 10}, {10, 10}, true}, {{10, 10}, {11, 10}, false}, {{10, 10}, {10, 11}, false},
        {{10, 10}, {0, 5}, false},  {{0, 10}, {0, 5}, false},    {{65535, 1}, {1, 1}, true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(AreaResampler::shrinks(row.from, row.to), row.shrinks)
            << row.to.width() << "x" << row.to.height();
    }
    // The widest input still sums within range: a white row of 65535 pixels stays white.
    const std::vector<QRgb> white(65535, qRgb(255, 255, 255));
    AreaResampler wide({65535, 1}, {1, 1});
    wide.addRow(white.data());
    wide.addRow(nullptr); // past the input: ignored
    EXPECT_EQ(wide.take().pixel(0, 0), qRgb(255, 255, 255));
}

TEST(AreaResampler, AgreesWithTheToolkitsSmoothScaling) {
    // What a picture prepared ahead shows and what a draw resamples must not differ visibly.
    QImage source = noise({750, 500}, 7).scaled(750, 500); // noise
    QImage gradient(750, 500, QImage::Format_RGB32);
    for (int y = 0; y < 500; ++y) {
        for (int x = 0; x < 750; ++x) {
            gradient.setPixel(x, y, qRgb(x * 255 / 749, y * 255 / 499, (x + y) % 256));
        }
    }
    for (const QImage& image : {source, gradient}) {
        const QImage ours = shrunk(image, {640, 427});
        const QImage toolkit = image.scaled(640, 427, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        double squared = 0;
        for (int y = 0; y < 427; ++y) {
            for (int x = 0; x < 640; ++x) {
                const QRgb a = ours.pixel(x, y), b = toolkit.pixel(x, y);
                squared += std::pow(qRed(a) - qRed(b), 2) + std::pow(qGreen(a) - qGreen(b), 2) +
                           std::pow(qBlue(a) - qBlue(b), 2);
            }
        }
        const double psnr = 10 * std::log10(255.0 * 255.0 / (squared / (640.0 * 427 * 3)));
        EXPECT_GT(psnr, 40.0);
    }
}
