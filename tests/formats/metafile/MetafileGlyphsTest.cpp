#include "formats/metafile/MetafileGlyphs.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace velmoa;

namespace {

QFont japaneseFont(int pixels, int stretch) {
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(pixels);
    font.setStretch(stretch);
    return font;
}

// Whether any pixel of the image is not white.
bool inked(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                return true;
            }
        }
    }
    return false;
}

TEST(MetafileGlyphs, GlyphsFarWiderThanTheCacheRendersAreDrawnAsOutlines) {
    struct Row {
        const char* label;
        int pixels;
        int stretch;
        QTransform transform;
        bool outlines;
    };
    const Row rows[] = {
        {"plain text", 38, 100, QTransform(), false},
        {"a wide face", 38, 400, QTransform(), false},
        {"stretched forty times", 38, 4000, QTransform(), true},
        {"small text stretched forty times", 20, 4000, QTransform(), false},
        {"one axis stretched, the other squeezed", 40, 100, QTransform(60, 0, 0, 1.0 / 60, 0, 0), true},
        {"turned, not stretched", 40, 100, QTransform().rotate(45), false},
        {"scaled down from a large size", 100, 100, QTransform::fromScale(0.12, 0.12), false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(glyphsTooWideForCache(japaneseFont(row.pixels, row.stretch), row.transform), row.outlines)
            << row.label;
    }
}

// FreeType cannot render these glyphs as images: drawn through the cache, the program crashed.
TEST(MetafileGlyphs, TooWideGlyphsStillShow) {
    const QString text = QStringLiteral("日本語テスト");
    struct Row {
        const char* label;
        int stretch;
        QTransform transform;
        bool inRectangle;
    };
    const Row rows[] = {
        {"stretched font at a point", 4000, QTransform::fromTranslate(15.03, 18.98), false},
        {"stretched font in a rectangle", 4000, QTransform::fromTranslate(15.03, 18.98), true},
        {"stretching transform at a point", 100, QTransform(30, 0, 0, 0.09, 0.5, 30), false},
        {"stretching transform in a rectangle", 100, QTransform(30, 0, 0, 0.09, 0.5, 30), true},
    };
    for (const Row& row : rows) {
        QImage image(2000, 60, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setTransform(row.transform);
            painter.setFont(japaneseFont(38, row.stretch));
            painter.setPen(Qt::black);
            for (int i = 0; i < text.size(); ++i) {
                if (row.inRectangle) {
                    drawMetafileText(painter, QRectF(2.7 * i, -40, 200, 80), Qt::AlignLeft | Qt::AlignVCenter,
                                     text.mid(i, 1));
                } else {
                    drawMetafileText(painter, QPointF(2.7 * i, 0), text.mid(i, 1));
                }
            }
        }
        EXPECT_TRUE(inked(image)) << row.label;
    }
}

TEST(MetafileGlyphs, OutlinesAreLaidOutAsInARectangle) {
    // A stretching transform (12 x across, half down): drawn as outlines, aligned right and at
    // the bottom of a 1200 x 100 pixel rectangle.
    QImage image(1200, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setTransform(QTransform(12, 0, 0, 0.5, 0, 0));
        painter.setFont(japaneseFont(100, 100));
        painter.setPen(Qt::black);
        ASSERT_TRUE(glyphsTooWideForCache(painter.font(), painter.deviceTransform()));
        drawMetafileText(painter, QRectF(0, 0, 100, 200), Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("I"));
    }
    EXPECT_FALSE(inked(image.copy(0, 0, 600, 100))) << "left half stays empty";
    EXPECT_FALSE(inked(image.copy(0, 0, 1200, 40))) << "top stays empty";
    EXPECT_TRUE(inked(image.copy(600, 40, 600, 60))) << "bottom right has the letter";
}

} // namespace
